// The models of the review dialogs: the working tags of "Manage Records" and their OK, and
// the list texts of the record lists.
#pragma once

#include <cstdint>
#include <string>

// A TAGRECORDS list entry: "%-3d" of the number, "X" directly after it when excluded.
std::string TagListText(int32_t number, int32_t tag);
// A record combo box entry after Manage Records: the number, "X" after it when excluded.
std::string TaggedRecordText(int32_t number, int32_t tag);
// A click on list entry selected (-1: none) with the mode boxes as checked: the working tag
// becomes -1 (exclude) or 1 (include), or stays with no mode checked. True when a record was
// selected: the list is then emptied and refilled, which clears the highlight whether or not
// a mode changed the tag. A selection outside the count is ignored (false).
bool ApplyTagClick(int32_t* working, int32_t count, int32_t selected, bool excludeMode, bool includeMode);
// OK: -1 excludes; 1 includes (1 stays 1, an excluded or 0 record becomes 0); 0 keeps.
void ApplyManageRecordsOk(const int32_t* working, int32_t* tags, int32_t count);
