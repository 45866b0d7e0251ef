// The working of the buffer-memory stand-in, portable so that it is tested natively: one
// program-wide store of buffers and lists behind one lock. qzmem32.dll's exports forward to
// these functions one to one; their contracts are those of qzmem32.h.
//
// Handles are 32-bit codes (slot index, generation, list bit), never addresses: a freed or
// destroyed handle no longer matches its slot's generation and is refused without touching
// freed memory.
#pragma once

#include "standins/qzmem32/qzmem32.h"

#include <cstdint>

uint32_t BmAllocBuffer(uint32_t sampleCount, uint32_t sampleSize, HBUF* buffer);
uint32_t BmFreeBuffer(HBUF buffer);
uint32_t BmCreateList(HBUFLIST* list);
uint32_t BmDestroyList(HBUFLIST list);
uint32_t BmTakeListHead(HBUFLIST list, HBUF* buffer);
uint32_t BmAppendToList(HBUFLIST list, HBUF buffer);
uint32_t BmCountList(HBUFLIST list, uint32_t* count);
uint32_t BmGetBufferPointer(HBUF buffer, void** data);
uint32_t BmGetBufferSize(HBUF buffer, uint32_t* bytes);
uint32_t BmGetValidSamples(HBUF buffer, uint32_t* count);
uint32_t BmSetSampleSize(HBUF buffer, uint32_t bytesPerSample);
uint32_t BmSetValidSamples(HBUF buffer, uint32_t count);
uint32_t BmSetBufferResolution(HBUF buffer, uint32_t bits);
uint32_t BmFinishBuffer(HBUF buffer);
uint32_t BmGetControlBlock(HBUF buffer, BufferControlBlock** block);
uint32_t BmListBeginUpdate(HBUFLIST list);
uint32_t BmListEndUpdate(HBUFLIST list);

// What a buffer records beside its data, for tests and diagnostics.
struct BufferFacts {
    uint32_t bytes;
    uint32_t sampleSize;
    uint32_t validSamples;
    uint32_t resolution;
    uint32_t finishCount;
    bool onList;
};
uint32_t BmGetBufferFacts(HBUF buffer, BufferFacts* facts);

// Number of live buffers and lists in the store (leak checks).
void BmCountLive(uint32_t* buffers, uint32_t* lists);
// Number of threads waiting for a list that another thread holds in an update.
uint32_t BmThreadsWaitingForLists();
