// qzmem32: the buffer-memory library. Sample buffers (HBUF) with a per-buffer control block,
// and thread-safe lists of buffers. V-LOX and qzdaapi32 import it by ordinal; this header is
// the one declaration of its calls and their calling convention for every binary.
//
// Every call returns 0 or an error code of the 200-220 family, whose texts are in the board
// library's string table (qzDaGetErrorString). Out-values are written only on success.
// The header is portable: the core includes it for the handle types.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define QZMEM_CALL __stdcall
#else
#define QZMEM_CALL
#endif

// Opaque handles; a null handle is never valid. A handle that was freed or destroyed is refused
// with its error code, never dereferenced.
typedef struct QzMemBuffer__* HBUF;
typedef struct QzMemList__* HBUFLIST;

// Per-buffer scratch record for the user of the buffer (the board library keeps the overlapped
// record of a transfer in it: 20 bytes in the 32-bit build, 32 in the 64-bit). Stable at one
// address while the buffer exists.
struct BufferControlBlock {
    alignas(8) uint8_t bytes[32];
};
static_assert(sizeof(BufferControlBlock) == 32, "buffer control block layout");

// Codes returned by the calls (texts in the board library's table).
enum : uint32_t {
    QZMEM_OK = 0,
    QZMEM_NULL_PARAMETER = 83,     // an out pointer was null ("... parameter was NULL")
    QZMEM_NO_CONTROL_BLOCK = 200,  // the buffer's record could not be allocated
    QZMEM_NO_DATA_BUFFER = 201,    // the data area could not be allocated (or has size 0)
    QZMEM_BAD_BUFFER = 202,        // null, stale, freed or foreign HBUF
    QZMEM_BUFFER_ON_LIST = 205,    // appended twice, or freed while on a list
    QZMEM_BAD_SAMPLE_SIZE = 208,   // sample size other than 1, 2 or 4 bytes
    QZMEM_NO_LIST = 209,           // the list could not be allocated
    QZMEM_BAD_LIST = 210,          // null, stale, destroyed or foreign list handle
    QZMEM_LIST_NOT_EMPTY = 211,    // destroy of a list that still holds buffers
    QZMEM_LIST_NOT_HELD = 212,     // end of an update that this thread did not begin
    QZMEM_TOO_MANY_SAMPLES = 218,  // valid samples beyond the buffer
};

extern "C" {

// Ordinal 31. A zero-filled buffer of sampleCount samples of sampleSize bytes (1, 2 or 4).
// flags and reserved are ignored. No valid samples yet, resolution 0.
uint32_t QZMEM_CALL MemAllocBuffer(uint32_t flags, uint32_t reserved, uint32_t sampleCount, uint32_t sampleSize,
                                   HBUF* buffer);
// Ordinal 38. Refused with 205 while the buffer is on a list.
uint32_t QZMEM_CALL MemFreeBuffer(HBUF buffer);
// Ordinal 35. A new empty list; the three other arguments are ignored.
uint32_t QZMEM_CALL MemCreateList(HBUFLIST* list, uint32_t reserved1, uint32_t reserved2, uint32_t reserved3);
// Ordinal 39. Only an empty list is destroyed (211 otherwise).
uint32_t QZMEM_CALL MemDestroyList(HBUFLIST list);
// Ordinal 41. Removes and returns the first buffer; a null handle (and 0) when empty.
uint32_t QZMEM_CALL MemTakeListHead(HBUFLIST list, HBUF* buffer);
// Ordinal 56. Appends at the end; a buffer is on at most one list at a time.
uint32_t QZMEM_CALL MemAppendToList(HBUFLIST list, HBUF buffer);
// Ordinal 46.
uint32_t QZMEM_CALL MemCountList(HBUFLIST list, uint32_t* count);
// Ordinal 42. Address of the sample data, stable while the buffer exists.
uint32_t QZMEM_CALL MemGetBufferPointer(HBUF buffer, void** data);
// Ordinal 43. Size of the data area in bytes.
uint32_t QZMEM_CALL MemGetBufferSize(HBUF buffer, uint32_t* bytes);
// Ordinal 51.
uint32_t QZMEM_CALL MemGetValidSamples(HBUF buffer, uint32_t* count);
// Ordinal 60. 1, 2 or 4 (208); refused with 218 when the valid samples would no longer fit.
uint32_t QZMEM_CALL MemSetSampleSize(HBUF buffer, uint32_t bytesPerSample);
// Ordinal 61. Refused with 218 when count samples do not fit in the buffer.
uint32_t QZMEM_CALL MemSetValidSamples(HBUF buffer, uint32_t count);
// Ordinal 25.
uint32_t QZMEM_CALL MemSetBufferResolution(HBUF buffer, uint32_t bits);
// Ordinal 24. Marks a finished buffer (called once before it goes to a done queue).
uint32_t QZMEM_CALL MemFinishBuffer(HBUF buffer);
// Ordinal 100.
uint32_t QZMEM_CALL MemGetControlBlock(HBUF buffer, BufferControlBlock** block);
// Ordinals 101 and 102. Between them the calling thread holds the list: other threads' calls
// on that list wait, so a batch of appends lands as one. The pair nests on one thread; an end
// without a begin on the same thread is refused with 212.
uint32_t QZMEM_CALL MemListBeginUpdate(HBUFLIST list);
uint32_t QZMEM_CALL MemListEndUpdate(HBUFLIST list);

}  // extern "C"
