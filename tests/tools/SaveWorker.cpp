// Saves two large contents in turn to one file through TStoredTextList, without end, so that a
// test can kill it at any moment of a save. Command line: file path, value length, name of an event
// set once the first save has finished. Exits with 2 when a save fails.
#include "Include/StoredTextList.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The same content the test expects: a few long values, so that most of a save's time goes to
// writing the file. Generation 0 and 1 differ in every byte of the values and in length.
void WriteWorkerContent(TStoredTextList& list, int generation, int valueLength) {
    for (int n = 0; n < 8; ++n)
        list.WriteString("Map", "K" + std::to_string(n), std::string(valueLength + generation * 1000, "ab"[generation]));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: SaveWorker <file> <lines> <event name>\n");
        return 1;
    }
    const std::string path = argv[1];
    const int valueLength = std::atoi(argv[2]);
    HANDLE firstSaveDone = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
    int generation = 1;
    TStoredTextList list(path);
    list.OnBeforeSave = [&](TStoredTextList& self) {
        self.Clear();
        WriteWorkerContent(self, generation, valueLength);
    };
    if (!list.SaveAs(path, false)) return 2;
    if (firstSaveDone) SetEvent(firstSaveDone);
    for (;;) {
        generation = 1 - generation;
        if (!list.Save(false)) return 2;
    }
}
