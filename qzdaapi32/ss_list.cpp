#include "qzdaapi32/ss_list.h"

#include "qzdaapi32/retired.h"

#include <mutex>
#include <new>
#include <set>

namespace {

std::mutex& ListLock()
{
    static std::mutex lock;
    return lock;
}

std::set<SimultaneousStartList*>& LiveLists()
{
    static std::set<SimultaneousStartList*> lists;
    return lists;
}

RetiredRecords<SimultaneousStartList, 1024>& RetiredLists()
{
    static RetiredRecords<SimultaneousStartList, 1024> retired;
    return retired;
}

// Called with the lock held.
SimultaneousStartList* FindLive(SimultaneousStartListHandle list)
{
    if (list == nullptr || LiveLists().count(list) == 0 || list->self != list)
        return nullptr;
    return list;
}

}  // namespace

QZSTATUS CreateStartList(SimultaneousStartListHandle* list)
{
    if (list == nullptr)
        return QZERR_CANNOT_ALLOCATE_SIMULTANEOUS_START_LIST;
    SimultaneousStartList* header = new (std::nothrow) SimultaneousStartList{};
    if (header == nullptr)
        return QZERR_CANNOT_ALLOCATE_SIMULTANEOUS_START_LIST;
    header->size = 20;
    header->self = header;
    std::lock_guard<std::mutex> held(ListLock());
    try {
        LiveLists().insert(header);
    } catch (const std::bad_alloc&) {
        delete header;
        return QZERR_CANNOT_ALLOCATE_SIMULTANEOUS_START_LIST;
    }
    *list = header;
    return QZERR_NO_ERROR;
}

QZSTATUS ReleaseStartList(SimultaneousStartListHandle list)
{
    SimultaneousStartList* header;
    {
        std::lock_guard<std::mutex> held(ListLock());
        header = FindLive(list);
        if (header == nullptr)
            return QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED;
        LiveLists().erase(header);
    }
    SimultaneousStartNode* node = header->first;
    while (node != nullptr) {
        SimultaneousStartNode* next = node->next;
        *node = SimultaneousStartNode{};
        delete node;
        node = next;
    }
    *header = SimultaneousStartList{};
    RetiredLists().Retire(header);
    return QZERR_NO_ERROR;
}

QZSTATUS AddToStartList(SimultaneousStartListHandle list, SubsystemHandle subsystem, const SubsystemChecks& checks)
{
    std::lock_guard<std::mutex> held(ListLock());
    SimultaneousStartList* header = FindLive(list);
    if (header == nullptr)
        return QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED;
    if (!checks.isOpen(subsystem))
        return QZERR_INVALID_SUBSYSTEM_HANDLE;
    for (SimultaneousStartNode* node = header->first; node != nullptr; node = node->next) {
        if (node->subsystem == subsystem)
            return QZERR_DASS_HANDLE_IS_ALREADY_ON_SIMULTANEOUS_START_LIST;
    }
    if (!checks.canStartTogether(subsystem))
        return QZERR_NOT_SUPPORTED;
    SimultaneousStartNode* node = new (std::nothrow) SimultaneousStartNode{};
    if (node == nullptr)
        return QZERR_CANNOT_ALLOCATE_SIMULTANEOUS_START_LIST;
    node->size = 16;
    node->self = node;
    node->subsystem = subsystem;
    if (header->last != nullptr)
        header->last->next = node;
    else
        header->first = node;
    header->last = node;
    ++header->count;
    return QZERR_NO_ERROR;
}

QZSTATUS StartListMembers(SimultaneousStartListHandle list, std::vector<SubsystemHandle>* members)
{
    std::lock_guard<std::mutex> held(ListLock());
    SimultaneousStartList* header = FindLive(list);
    if (header == nullptr)
        return QZERR_ILLEGAL_SIMULTANEOUS_START_LIST_HANDLE_SPECIFIED;
    members->clear();
    for (SimultaneousStartNode* node = header->first; node != nullptr; node = node->next)
        members->push_back(node->subsystem);
    return QZERR_NO_ERROR;
}

QZSTATUS CheckStartListMembers(const std::vector<SubsystemHandle>& members, const SubsystemChecks& checks)
{
    if (members.empty())
        return QZERR_NO_SUBSYSTEM_HANDLES_ON_SIMULTANEOUS_START_LIST;
    for (SubsystemHandle subsystem : members) {
        if (!checks.isOpen(subsystem))
            return QZERR_INVALID_SUBSYSTEM_HANDLE_ON_SIMULTANEOUS_START_LIST;
    }
    return QZERR_NO_ERROR;
}

uint32_t LiveStartLists()
{
    std::lock_guard<std::mutex> held(ListLock());
    return static_cast<uint32_t>(LiveLists().size());
}
