// Leaves TouchFile.txt in its current directory: the whole command line it was started with,
// then the current directory, one a line. Written under another name and renamed, so that a
// watcher never reads half a file.
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    {
        std::ofstream out("TouchFile.tmp", std::ios::binary | std::ios::trunc);
        out << GetCommandLineA() << "\n" << directory << "\n";
        if (!out) return 1;
    }
    return MoveFileExA("TouchFile.tmp", "TouchFile.txt", MOVEFILE_REPLACE_EXISTING) ? 0 : 2;
}
