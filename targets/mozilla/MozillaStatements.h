#pragma once

// The count and delete statements of the Mozilla SQLite stores (places, cookies, downloads
// and form history), shared by every module that reads a Mozilla profile.
namespace mozilla::sql {

// places.sqlite: every visit of a place.
inline constexpr auto historyCount =
    "SELECT count(*) FROM moz_places, moz_historyvisits WHERE moz_places.id = moz_historyvisits.place_id;";
// Every visited place that no bookmark refers to, then every visit: the delete a file gets
// when its schema cannot be read for the full clear (it then fails on its own).
inline constexpr auto historyDelete =
    "DELETE FROM moz_places WHERE id IN (SELECT DISTINCT place_id FROM moz_historyvisits WHERE "
    "place_id NOT IN (SELECT place_id FROM moz_historyvisits JOIN moz_bookmarks ON "
    "moz_historyvisits.place_id = moz_bookmarks.fk)); DELETE FROM moz_historyvisits;";

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
// by name. The pages go only where nothing else refers to them (the condition the file's
// schema allows is put between the two parts), or a bookmark or keyword would be left
// pointing at nothing.
inline constexpr auto downloadAnnoCount = "SELECT count(*) FROM moz_annos WHERE anno_attribute_id IN "
                                          "(SELECT id FROM moz_anno_attributes WHERE name GLOB 'downloads/*');";
inline constexpr auto downloadPagesWhere =
    "DELETE FROM moz_places WHERE id IN (SELECT DISTINCT place_id FROM moz_annos WHERE "
    "anno_attribute_id IN (SELECT id FROM moz_anno_attributes WHERE name GLOB 'downloads/*')) AND ";
inline constexpr auto downloadVisitsAndAnnosDelete =
    "; DELETE FROM moz_historyvisits WHERE visit_type = 7; "
    "DELETE FROM moz_annos WHERE anno_attribute_id IN "
    "(SELECT id FROM moz_anno_attributes WHERE name GLOB 'downloads/*');";
// The condition where the schema cannot be read: no bookmark refers to the page.
inline constexpr auto notBookmarked = "id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)";

// formhistory.sqlite: form values, and the search bar's entries apart from them.
inline constexpr auto formValueCount = "SELECT count(*) FROM moz_formhistory WHERE fieldname != 'searchbar-history';";
inline constexpr auto formValueDelete = "DELETE FROM moz_formhistory WHERE fieldname != 'searchbar-history';";
inline constexpr auto searchBarCount = "SELECT count(*) FROM moz_formhistory WHERE fieldname = 'searchbar-history';";
inline constexpr auto searchBarDelete = "DELETE FROM moz_formhistory WHERE fieldname = 'searchbar-history';";

// places.sqlite of older profiles: the page icons.
inline constexpr auto faviconCount = "SELECT count(*) FROM moz_favicons;";
inline constexpr auto faviconDelete = "DELETE FROM moz_favicons;";

} // namespace mozilla::sql
