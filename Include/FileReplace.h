// Replacing a file's whole content so that a crash, a kill or a failed step never leaves it
// missing or half written: the bytes go to a new file in the same folder, reach the disk, and
// then one rename puts the new file in place of the old one.
#pragma once

#include <string>

// The steps of a replacement, in order.
enum TFileReplaceStep : int {
    frsNone = 0,
    frsCreate,  // the new file beside the target
    frsWrite,
    frsFlush,
    frsRename,  // the one rename over the target
};

// Test hook: the named step fails as if the system had refused it (a write fails half way).
// The program never sets it; it stays frsNone.
extern TFileReplaceStep FileReplaceFailingStep;

// Reporting operation "WriteFileReplacing" of module "Include\FileReplace", passing its failure on.
// Afterwards the file at path holds exactly the bytes (true), or it is exactly as before and the new
// file is gone (false). A read-only target is replaced as well and ends with normal attributes.
bool WriteFileReplacing(const std::string& path, const std::string& bytes);
