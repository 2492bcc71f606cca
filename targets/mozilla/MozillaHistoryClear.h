#pragma once

#include <QString>

// Clearing a places.sqlite's history the way the browser clears all of it, on whatever
// schema the file has (current profiles, older ones, Camino's and SeaMonkey's):
// - every visit goes, with every typed input and every page-reading record;
// - a page something else still refers to (a bookmark, a keyword) stays, with its visit
//   count, last visit, typed mark and frecency reset;
// - every other page goes, with what only it used: its annotations, its extra data, its
//   origin, the preview tombstones and, in older files, its icon.
// Bookmarks, keywords, the annotations of kept pages and their icons are not touched.
namespace mozilla {

// The statements for the file at `path`, chosen by the tables and columns it has; empty when
// the file does not open or has no moz_places and moz_historyvisits to clear.
QString historyClearFor(const QString &path);

// The condition, on moz_places, of the pages nothing else refers to in the file at `path` (no
// bookmark, no keyword, no reference counted); empty when the file does not open.
QString unreferencedPagesIn(const QString &path);

} // namespace mozilla
