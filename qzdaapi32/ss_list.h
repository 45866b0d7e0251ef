// Simultaneous-start lists: subsystems that are prestarted, then started together. A list is
// a header of five 32-bit words on the field computer (size 20, node count, self pointer,
// first node, last node) with nodes of four (size 16, self pointer, subsystem, next).
//
// Live lists are registered, so a handle that is null, foreign or already released is refused
// with 102 without being read; one lock keeps concurrent calls on a list apart. The calls that
// act on the subsystems work on a snapshot taken under that lock, so a subsystem's long
// request never holds it.
#pragma once

#include "qzdaapi32/qzdaapi32.h"

#include <cstdint>
#include <vector>

struct SimultaneousStartNode {
    uint32_t size;
    SimultaneousStartNode* self;
    SubsystemHandle subsystem;
    SimultaneousStartNode* next;
};

struct SimultaneousStartList {
    uint32_t size;
    uint32_t count;
    SimultaneousStartList* self;
    SimultaneousStartNode* first;
    SimultaneousStartNode* last;
};

// What a list asks of a subsystem handle.
struct SubsystemChecks {
    bool (*isOpen)(SubsystemHandle subsystem);
    bool (*canStartTogether)(SubsystemHandle subsystem);  // capability slot 51
};

// A new empty list (101 when out of memory).
QZSTATUS CreateStartList(SimultaneousStartListHandle* list);
// Clears and frees every node and the header (102 for a list that is not live).
QZSTATUS ReleaseStartList(SimultaneousStartListHandle list);
// Appends subsystem: 102, then 40 for a handle that is not open, 114 when it is on the list
// already, 36 without the capability, 101 when out of memory.
QZSTATUS AddToStartList(SimultaneousStartListHandle list, SubsystemHandle subsystem, const SubsystemChecks& checks);
// The subsystems of the list in order (102 for a list that is not live).
QZSTATUS StartListMembers(SimultaneousStartListHandle list, std::vector<SubsystemHandle>* members);
// Members that may be started: 104 when there are none, 103 when any of them is not open.
QZSTATUS CheckStartListMembers(const std::vector<SubsystemHandle>& members, const SubsystemChecks& checks);
// Number of live lists (leak checks).
uint32_t LiveStartLists();
