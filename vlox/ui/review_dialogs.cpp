#include "vlox/ui/review_dialogs.h"

#include <cstdio>

std::string TagListText(int32_t number, int32_t tag)
{
    char text[24];
    std::snprintf(text, sizeof text, "%-3d", static_cast<int>(number));
    std::string t(text);
    if (tag == -1)
        t += "X";
    return t;
}

std::string TaggedRecordText(int32_t number, int32_t tag)
{
    std::string t = TagListText(number, 0);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    if (tag == -1)
        t += "X";
    return t;
}

bool ApplyTagClick(int32_t* working, int32_t count, int32_t selected, bool excludeMode, bool includeMode)
{
    if (working == nullptr || selected < 0 || selected >= count)
        return false;
    if (excludeMode)
        working[selected] = -1;
    else if (includeMode)
        working[selected] = 1;
    return true;
}

void ApplyManageRecordsOk(const int32_t* working, int32_t* tags, int32_t count)
{
    for (int32_t r = 0; r < count; ++r) {
        if (working[r] == -1)
            tags[r] = -1;
        else if (working[r] == 1)
            tags[r] = tags[r] > 0 ? 1 : 0;
    }
}
