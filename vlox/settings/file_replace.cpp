#include "vlox/settings/file_replace.h"

bool ReplaceFileContents(FileReplaceHost& host, const std::string& bytes)
{
    const bool replaced = host.CreateTemporary() && host.WriteTemporary(bytes) && host.FlushTemporary() &&
                          host.CloseTemporary() && host.ReplaceTarget();
    if (!replaced)
        host.DiscardTemporary();
    return replaced;
}
