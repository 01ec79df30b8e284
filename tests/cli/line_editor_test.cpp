// The terminal command's line editor: keys from terminal bytes, editing, history, drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/line_editor.h"

namespace {

struct Decoded {
    std::vector<EditKey> keys;
    std::vector<std::string> characters;
};

Decoded Decode(const std::string& bytes) {
    KeyDecoder decoder;
    Decoded out;
    for (unsigned char byte : bytes) {
        const EditKey key = decoder.Feed(byte);
        if (key == EditKey::None) continue;
        out.keys.push_back(key);
        if (key == EditKey::Character) out.characters.push_back(decoder.Character());
    }
    return out;
}

TEST(KeyDecoder, TerminalBytesBecomeKeys) {
    using K = EditKey;
    struct Case {
        std::string bytes;
        std::vector<EditKey> keys;
    };
    const Case cases[] = {
        {"a", {K::Character}},
        {"\r", {K::Enter}},
        {"\n", {K::Enter}},
        {"\x7f", {K::Backspace}},
        {"\x08", {K::Backspace}},
        {"\x1b[A\x1b[B\x1b[C\x1b[D", {K::Up, K::Down, K::Right, K::Left}},
        {"\x1bOA\x1bOB\x1bOH\x1bOF", {K::Up, K::Down, K::Home, K::End}},   // application mode
        {"\x1b[H\x1b[F\x1b[1~\x1b[4~\x1b[7~\x1b[8~", {K::Home, K::End, K::Home, K::End, K::Home, K::End}},
        {"\x1b[3~", {K::Delete}},
        {"\x1b[1;5C", {K::Right}},         // Ctrl-Right: the modifier is ignored
        {"\x1b[200~", {}},                 // an unknown sequence is dropped whole
        {"\x1b[15~x", {K::Character}},     // F5, then x
        {"\x1bx", {}},                     // Alt-x
        {"\x04\x03\x15", {K::EndOfInput, K::Interrupt, K::KillLine}},
        {"\x01\x05\x02\x06\x10\x0e", {K::Home, K::End, K::Left, K::Right, K::Up, K::Down}},
        {std::string("\t\x00\x1f", 3), {}},   // other control bytes never reach the line
        {"\xd0\x9f", {K::Character}},      // П, two bytes
        {"\xe2\x82\xac", {K::Character}},  // €, three bytes
        {"\xd0" "a", {K::Character}},      // a broken character is dropped, 'a' kept
        {"\x80\xff", {}},                  // bytes that start no character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.bytes).keys, c.keys) << testing::PrintToString(c.bytes);
    }
    EXPECT_EQ(Decode("\xd0\x9f").characters, std::vector<std::string>{"\xd0\x9f"});
    EXPECT_EQ(Decode("\xd0" "a").characters, std::vector<std::string>{"a"});
}

// Types `bytes` into `editor` and returns the last result.
LineEditor::Result Type(LineEditor& editor, const std::string& bytes) {
    KeyDecoder decoder;
    LineEditor::Result result = LineEditor::Result::Editing;
    for (unsigned char byte : bytes) {
        const EditKey key = decoder.Feed(byte);
        if (key != EditKey::None) result = editor.Apply(key, decoder.Character());
    }
    return result;
}

TEST(LineEditor, EditsWhereTheCursorIs) {
    struct Case {
        std::string typed;
        std::string line;
        size_t cursor;
    };
    const Case cases[] = {
        {"ATI", "ATI", 3},
        {"AI\x1b[DT", "ATI", 2},
        {"ATX\x7fI", "ATI", 3},
        {"TI\x01" "A", "ATI", 1},
        {"ATIX\x1b[D\x1b[3~", "ATI", 3},
        {"ATIX\x1b[D\x04", "ATI", 3},          // Ctrl-D with text deletes
        {"AT+CSQ\x15" "ATI", "ATI", 3},
        {"\xd0\x9f\xd1\x80\x1b[Da", "\xd0\x9f" "a\xd1\x80", 2},   // cursor moves by characters
        {"AT\x01\x05I", "ATI", 3},
    };
    for (const Case& c : cases) {
        LineEditor editor(254);
        editor.Begin();
        EXPECT_EQ(Type(editor, c.typed), LineEditor::Result::Editing) << testing::PrintToString(c.typed);
        EXPECT_EQ(editor.Text(), c.line) << testing::PrintToString(c.typed);
        EXPECT_EQ(editor.Cursor(), c.cursor) << testing::PrintToString(c.typed);
    }
}

TEST(LineEditor, EndsAndRefusals) {
    using R = LineEditor::Result;
    LineEditor editor(3);
    editor.Begin();
    EXPECT_EQ(Type(editor, "\x04"), R::EndOfInput);
    EXPECT_EQ(Type(editor, "\x7f"), R::Refused);        // nothing to erase
    EXPECT_EQ(Type(editor, "\x1b[D"), R::Refused);      // already at the start
    EXPECT_EQ(Type(editor, "abc"), R::Editing);
    EXPECT_EQ(Type(editor, "d"), R::Refused);           // the line is full
    EXPECT_EQ(editor.Text(), "abc");
    EXPECT_EQ(Type(editor, "\x1b[C"), R::Refused);      // already at the end
    EXPECT_EQ(Type(editor, "\x1b[3~"), R::Refused);     // nothing under the cursor
    EXPECT_EQ(Type(editor, "\x03"), R::Cancelled);
    EXPECT_EQ(Type(editor, "\r"), R::Accepted);
}

TEST(LineEditor, ArrowKeysWalkTheHistoryAndKeepTheDraft) {
    using R = LineEditor::Result;
    LineEditor editor(254);
    for (const char* line : {"ATI", "", "AT+CSQ", "AT+CSQ", "AT+CGMM"}) editor.Remember(line);
    EXPECT_EQ(editor.HistorySize(), 3u);   // no empty line, no repeat of the newest

    editor.Begin();
    Type(editor, "AT+C");
    const char up[] = "\x1b[A";
    const char down[] = "\x1b[B";
    Type(editor, up);
    EXPECT_EQ(editor.Text(), "AT+CGMM");
    Type(editor, up);
    Type(editor, up);
    EXPECT_EQ(editor.Text(), "ATI");
    EXPECT_EQ(Type(editor, up), R::Refused);
    EXPECT_EQ(editor.Cursor(), 3u);
    Type(editor, "Z");                      // editing a recalled line changes only the line
    Type(editor, down);
    EXPECT_EQ(editor.Text(), "AT+CSQ");
    Type(editor, down);
    Type(editor, down);
    EXPECT_EQ(editor.Text(), "AT+C");       // back to what was being typed
    EXPECT_EQ(Type(editor, down), R::Refused);
    Type(editor, up);
    Type(editor, up);
    Type(editor, up);
    EXPECT_EQ(editor.Text(), "ATI");

    editor.Begin();                         // a new line browses from the newest again
    Type(editor, up);
    EXPECT_EQ(editor.Text(), "AT+CGMM");
}

TEST(LineEditor, RecalledLineLongerThanTheLimitIsCut) {
    LineEditor editor(4);
    editor.Remember("AT+CGMM");
    editor.Begin();
    Type(editor, "\x1b[A");
    EXPECT_EQ(editor.Text(), "AT+C");
}

TEST(RenderEditLine, ShowsThePartAroundTheCursor) {
    LineEditor editor(254);
    editor.Begin();
    EXPECT_EQ(RenderEditLine("cmd> ", editor, 80), "\r" "cmd> " "\x1b[K\r\x1b[5C");
    Type(editor, "ATI\x1b[D");
    EXPECT_EQ(RenderEditLine("cmd> ", editor, 80), "\rcmd> ATI\x1b[K\r\x1b[7C");

    // 12 columns: prompt 5, one kept free, so 6 characters of the line show.
    editor.Begin();
    Type(editor, "AT+CGMM=1");
    EXPECT_EQ(RenderEditLine("cmd> ", editor, 12), "\rcmd> GMM=1\x1b[K\r\x1b[10C");
    Type(editor, "\x01");
    EXPECT_EQ(RenderEditLine("cmd> ", editor, 12), "\rcmd> AT+CGM\x1b[K\r\x1b[5C");
    EXPECT_EQ(RenderEditLine("", editor, 0), "\rA\x1b[K\r");   // no room at all: one character
}

TEST(SplitCharacters, OneElementPerCharacter) {
    EXPECT_EQ(SplitCharacters("a\xd0\x9f\xe2\x82\xac"),
              (std::vector<std::string>{"a", "\xd0\x9f", "\xe2\x82\xac"}));
    EXPECT_EQ(SplitCharacters("\xd0"), std::vector<std::string>{"\xd0"});
    EXPECT_EQ(SplitCharacters("\xd0" "a"), (std::vector<std::string>{"\xd0", "a"}));
    EXPECT_TRUE(SplitCharacters("").empty());
}

}  // namespace
