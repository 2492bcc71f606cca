#pragma once

// The count and delete statements of the Mozilla SQLite stores (places, cookies, downloads
// and form history), shared by every module that reads a Mozilla profile.
namespace mozilla::sql {

// places.sqlite: every visit of a place.
inline constexpr auto historyCount =
    "SELECT count(*) FROM moz_places, moz_historyvisits WHERE moz_places.id = moz_historyvisits.place_id;";
// Every visited place that no bookmark refers to, then every visit; bookmarked places stay.
inline constexpr auto historyDelete =
    "DELETE FROM moz_places WHERE id IN (SELECT DISTINCT place_id FROM moz_historyvisits WHERE "
    "place_id NOT IN (SELECT place_id FROM moz_historyvisits JOIN moz_bookmarks ON "
    "moz_historyvisits.place_id = moz_bookmarks.fk)); DELETE FROM moz_historyvisits;";
// What the history delete leaves behind in current profiles: origins no place refers to any
// more, typed input and page-reading records whose place has gone, and the search terms no
// record refers to. Each statement runs only where the file has the tables its test counts
// (older profiles lack some or all), after the history delete.
struct Sweep {
    const char *tablesPresent; // counts more than 0 when the statement can run
    const char *statement;
};
inline constexpr Sweep historyOrphans[] = {
    {"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'moz_origins';",
     "DELETE FROM moz_origins WHERE id NOT IN "
     "(SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL);"},
    {"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'moz_inputhistory';",
     "DELETE FROM moz_inputhistory WHERE place_id NOT IN (SELECT id FROM moz_places);"},
    // The referrer is gone too when its place is: the table's own rule would cascade there.
    {"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'moz_places_metadata';",
     "DELETE FROM moz_places_metadata WHERE place_id NOT IN (SELECT id FROM moz_places) "
     "OR referrer_place_id NOT IN (SELECT id FROM moz_places);"},
    {"SELECT count(*) = 2 FROM sqlite_master WHERE type = 'table' AND name IN "
     "('moz_places_metadata', 'moz_places_metadata_search_queries');",
     "DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN "
     "(SELECT search_query_id FROM moz_places_metadata WHERE search_query_id IS NOT NULL);"},
};

// places.sqlite of older profiles: the typed-host list behind URL autocompletion.
inline constexpr auto hostCount = "SELECT count(*) FROM moz_hosts;";
inline constexpr auto hostDelete = "DELETE FROM moz_hosts;";

// cookies.sqlite.
inline constexpr auto cookieCount = "SELECT count(*) FROM moz_cookies;";
inline constexpr auto cookieDelete = "DELETE FROM moz_cookies;";

// downloads.sqlite of older profiles.
inline constexpr auto downloadCount = "SELECT count(*) FROM moz_downloads;";
inline constexpr auto downloadDelete = "DELETE FROM moz_downloads;";

// places.sqlite: downloads kept as page annotations and visits of type 7. A profile numbers
// its annotation attributes in the order it first used them, so the download ones are found
// by name. A page that a bookmark refers to keeps its place, or the bookmark would be left
// pointing at nothing.
inline constexpr auto downloadAnnoCount =
    "SELECT count(*) FROM moz_annos WHERE anno_attribute_id IN "
    "(SELECT id FROM moz_anno_attributes WHERE name GLOB 'downloads/*');";
inline constexpr auto downloadAnnoDelete =
    "DELETE FROM moz_places WHERE id IN (SELECT DISTINCT place_id FROM moz_annos WHERE "
    "anno_attribute_id IN (SELECT id FROM moz_anno_attributes WHERE name GLOB 'downloads/*')) "
    "AND id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL); "
    "DELETE FROM moz_historyvisits WHERE visit_type = 7; "
    "DELETE FROM moz_annos WHERE anno_attribute_id IN "
    "(SELECT id FROM moz_anno_attributes WHERE name GLOB 'downloads/*');";

// formhistory.sqlite: form values, and the search bar's entries apart from them.
inline constexpr auto formValueCount =
    "SELECT count(*) FROM moz_formhistory WHERE fieldname != 'searchbar-history';";
inline constexpr auto formValueDelete =
    "DELETE FROM moz_formhistory WHERE fieldname != 'searchbar-history';";
inline constexpr auto searchBarCount =
    "SELECT count(*) FROM moz_formhistory WHERE fieldname = 'searchbar-history';";
inline constexpr auto searchBarDelete =
    "DELETE FROM moz_formhistory WHERE fieldname = 'searchbar-history';";

// places.sqlite of older profiles: the page icons.
inline constexpr auto faviconCount = "SELECT count(*) FROM moz_favicons;";
inline constexpr auto faviconDelete = "DELETE FROM moz_favicons;";

} // namespace mozilla::sql
