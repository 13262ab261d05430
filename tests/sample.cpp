#include "sample.h"

namespace {

using fixture::Bytes;

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A program saved as text: lines ending with CR LF and an end-of-file byte.
Bytes BasicText(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return Text(text + "\x1A");
}

// A BSAVE file: a 4-byte header (load address and end address) in front of the memory image.
Bytes Bsave(int start, const Bytes& memory) {
    const int end = start + static_cast<int>(memory.size());
    const int header[] = {start, start >> 8, end, end >> 8};
    Bytes out;
    for (int byte : header)
        out.push_back(static_cast<unsigned char>(byte));
    out.insert(out.end(), memory.begin(), memory.end());
    return out;
}

}  // namespace

fixture::Bytes SampleContainer() {
    fixture::N88Disk basic;
    basic.AddFile("HELLO", "BAS",
                  BasicText({"10 ' HELLO.BAS: greets the world ten times", "20 FOR I=1 TO 10",
                             "30 PRINT \"HELLO, WORLD\";I", "40 NEXT I", "50 END"}));
    basic.AddFile("README", "DOC",
                  Text("This disk was written by the project's own D88 writer.\r\n"
                       "HELLO.BAS is a BASIC program saved as text; TITLE.BIN was saved with\r\n"
                       "BSAVE and starts with its 4-byte header.\r\n\x1A"));
    Bytes screen(3000);
    for (size_t i = 0; i < screen.size(); ++i)
        screen[i] = static_cast<unsigned char>(i * 31 + i / 80);
    basic.AddFile("TITLE", "BIN", Bsave(0xC000, screen));

    fixture::N88Disk game;
    game.AddFile(
        "GAME", "BAS",
        BasicText({"10 ' GAME.BAS: guess the number", "20 N=INT(RND(1)*100)+1",
                   "30 INPUT \"YOUR GUESS\";G", "40 IF G<N THEN PRINT \"HIGHER\":GOTO 30",
                   "50 IF G>N THEN PRINT \"LOWER\":GOTO 30", "60 PRINT \"RIGHT!\"", "70 END"}));
    std::string scores;
    for (int i = 1; i <= 100; ++i)
        scores += "PLAYER" + std::to_string(i) + "," + std::to_string(1000 - 7 * i) + "\r\n";
    game.AddFile("SCORES", "DAT", Text(scores + "\x1A"));

    return fixture::BuildContainer(
        {basic.ToSparseImage("BASICDISK"), game.ToSparseImage("GAMEDISK")});
}
