// qzmem32.dll: the exports, each forwarding to the portable store. The names, ordinals and
// argument sizes come from qzmem32.exports; the linker refuses a definition whose stdcall
// size differs from that table.
#include "standins/qzmem32/buffer_memory.h"
#include "standins/qzmem32/qzmem32.h"

#include <windows.h>

extern "C" {

uint32_t QZMEM_CALL MemAllocBuffer(uint32_t, uint32_t, uint32_t sampleCount, uint32_t sampleSize, HBUF* buffer)
{
    return BmAllocBuffer(sampleCount, sampleSize, buffer);
}

uint32_t QZMEM_CALL MemFreeBuffer(HBUF buffer)
{
    return BmFreeBuffer(buffer);
}

uint32_t QZMEM_CALL MemCreateList(HBUFLIST* list, uint32_t, uint32_t, uint32_t)
{
    return BmCreateList(list);
}

uint32_t QZMEM_CALL MemDestroyList(HBUFLIST list)
{
    return BmDestroyList(list);
}

uint32_t QZMEM_CALL MemTakeListHead(HBUFLIST list, HBUF* buffer)
{
    return BmTakeListHead(list, buffer);
}

uint32_t QZMEM_CALL MemAppendToList(HBUFLIST list, HBUF buffer)
{
    return BmAppendToList(list, buffer);
}

uint32_t QZMEM_CALL MemCountList(HBUFLIST list, uint32_t* count)
{
    return BmCountList(list, count);
}

uint32_t QZMEM_CALL MemGetBufferPointer(HBUF buffer, void** data)
{
    return BmGetBufferPointer(buffer, data);
}

uint32_t QZMEM_CALL MemGetBufferSize(HBUF buffer, uint32_t* bytes)
{
    return BmGetBufferSize(buffer, bytes);
}

uint32_t QZMEM_CALL MemGetValidSamples(HBUF buffer, uint32_t* count)
{
    return BmGetValidSamples(buffer, count);
}

uint32_t QZMEM_CALL MemSetSampleSize(HBUF buffer, uint32_t bytesPerSample)
{
    return BmSetSampleSize(buffer, bytesPerSample);
}

uint32_t QZMEM_CALL MemSetValidSamples(HBUF buffer, uint32_t count)
{
    return BmSetValidSamples(buffer, count);
}

uint32_t QZMEM_CALL MemSetBufferResolution(HBUF buffer, uint32_t bits)
{
    return BmSetBufferResolution(buffer, bits);
}

uint32_t QZMEM_CALL MemFinishBuffer(HBUF buffer)
{
    return BmFinishBuffer(buffer);
}

uint32_t QZMEM_CALL MemGetControlBlock(HBUF buffer, BufferControlBlock** block)
{
    return BmGetControlBlock(buffer, block);
}

uint32_t QZMEM_CALL MemListBeginUpdate(HBUFLIST list)
{
    return BmListBeginUpdate(list);
}

uint32_t QZMEM_CALL MemListEndUpdate(HBUFLIST list)
{
    return BmListEndUpdate(list);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

}  // extern "C"
