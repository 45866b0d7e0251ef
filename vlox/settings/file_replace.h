// Rewriting a file so that a power cut or a full card at any moment leaves either the old
// file or the new one, whole: the new bytes go to a temporary file beside it, which is
// flushed and closed and only then put in the old one's place in one step. The host does
// each step on the real file system; a failed step leaves the old file untouched and the
// temporary file removed.
#pragma once

#include <string>

class FileReplaceHost {
public:
    virtual ~FileReplaceHost() = default;
    // Creates the temporary file empty (one left by an earlier cut is written over).
    virtual bool CreateTemporary() = 0;
    // Writes bytes to it, all of them.
    virtual bool WriteTemporary(const std::string& bytes) = 0;
    // Puts what was written on the disk.
    virtual bool FlushTemporary() = 0;
    virtual bool CloseTemporary() = 0;
    // Puts the temporary file in the target's place in one step, replacing it.
    virtual bool ReplaceTarget() = 0;
    // After a failure: closes the temporary file if open and deletes it.
    virtual void DiscardTemporary() = 0;
};

// The steps in order; true when the target now holds bytes, false (the old target kept)
// when a step failed.
bool ReplaceFileContents(FileReplaceHost& host, const std::string& bytes);
