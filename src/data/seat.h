#pragma once
// Writing back a record the caller has read already in the same unit of work, without reading
// it a second time: bulk rewrites (renumbering) read a run of records in one range scan, then
// rewrite each of them in place.

#include "core/result.h"
#include "data/table.h"

namespace hk::data {

// Makes the bookmarked record the current one of `t` without reading it; the buffer is left as
// it is. put() then writes the buffer over that record, and reports NoRecord when the record is
// gone (in a file with keys). next()/previous() continue from the bookmark.
core::Status seat(Table& t, const Bookmark& b);

} // namespace hk::data
