#include "ui/copy_text.h"

#include <cstring>

#include "info/info_table.h"
#include "link/answer.h"

namespace {

constexpr const char* kNameSeparator = ": ";
constexpr const char* kLineEnd = "\r\n";

// One row's value while its line is built: a row holds at most what one extraction gives.
char ValueText[kAnswerBufferSize];

// The caller has checked that the bytes fit.
void Append(char* text, size_t* length, const char* bytes) {
    const size_t count = std::strlen(bytes);
    std::memcpy(text + *length, bytes, count);
    *length += count;
}

}  // namespace

size_t BuildCopyText(const CopyRowSource& source, char* text, size_t textSize) {
    if (text == nullptr || textSize == 0) return 0;
    std::memset(text, 0, textSize);
    size_t limit = textSize - 1;
    if (limit > kCopyTextMaxBytes) limit = kCopyTextMaxBytes;
    if (limit > kCopyTextMaxCharacters) limit = kCopyTextMaxCharacters;

    size_t length = 0;
    for (int index = 0; index < kInfoRowCount; ++index) {
        const int position = InfoTable[index].position;
        if (source.stateImageIndex(position, source.context) == kUncheckedStateImage) continue;

        std::memset(ValueText, 0, sizeof ValueText);
        source.valueText(position, ValueText, sizeof ValueText, source.context);
        // A source that filled the whole buffer left no terminator.
        ValueText[sizeof ValueText - 1] = '\0';

        const char* name = InfoTable[index].name;
        const size_t lineLength = std::strlen(name) + std::strlen(kNameSeparator) +
                                  std::strlen(ValueText) + std::strlen(kLineEnd);
        // Lines stay in table order: once one does not fit, a shorter later one may not
        // take its place.
        if (lineLength > limit - length) break;
        Append(text, &length, name);
        Append(text, &length, kNameSeparator);
        Append(text, &length, ValueText);
        Append(text, &length, kLineEnd);
    }
    return length;
}
