#include "exp/MaskedField.h"

#include <algorithm>
#include <utility>

namespace trv {

namespace {

bool IsPositionChar(char c)
{
    return c == '0' || c == '9' || c == 'L';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Fits a piece of text to exactly n positions: blanks after it, or cut to its first n.
void FitPiece(std::string& out, std::string_view piece, int n)
{
    const auto width = static_cast<std::size_t>(n);
    if (piece.size() >= width) {
        out.append(piece.substr(0, width));
    }
    else {
        out.append(piece);
        out.append(width - piece.size(), ' ');
    }
}

} // namespace

EditMask::EditMask(std::string_view mask)
{
    // The tail (";1;_") only says how blanks are shown and that literals are kept; the mask
    // proper ends at the first ';' (literal spaces before it are part of the mask).
    const auto tail = mask.find(';');
    mask_ = std::string(tail == std::string_view::npos ? mask : mask.substr(0, tail));
}

bool EditMask::IsLiteral(int pos) const
{
    if (pos < 0 || pos >= Width()) return false;
    return !IsPositionChar(mask_[static_cast<std::size_t>(pos)]);
}

bool EditMask::Accepts(int pos, char c) const
{
    if (pos < 0 || pos >= Width()) return false;
    switch (mask_[static_cast<std::size_t>(pos)]) {
    case '0':
        return IsDigit(c);
    case '9':
        return IsDigit(c) || c == ' ';
    case 'L':
        return IsLetter(c);
    default:
        return false; // literals cannot be typed over
    }
}

std::string FitToMask(const EditMask& mask, std::string_view text)
{
    const std::string& m = mask.Text();
    std::string out;
    out.reserve(m.size());
    std::size_t p = 0;       // where the next piece starts in the text
    std::size_t segment = 0; // mask position where the next piece starts
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (IsPositionChar(m[i])) continue;
        // A literal the text lacks is taken as appended at its end, so the rest of the text
        // becomes this piece.
        const auto found = p <= text.size() ? text.find(m[i], p) : std::string_view::npos;
        const std::size_t end = found == std::string_view::npos ? text.size() : found;
        FitPiece(out, text.substr(std::min(p, text.size()), end - std::min(p, text.size())),
                 static_cast<int>(i - segment));
        out.push_back(m[i]);
        p = end + 1;
        segment = i + 1;
    }
    const std::string_view rest = p <= text.size() ? text.substr(p) : std::string_view{};
    FitPiece(out, rest, static_cast<int>(m.size() - segment));
    return out;
}

std::string ReflowToMask(const EditMask& oldMask, std::string_view text, const EditMask& newMask)
{
    // The characters of the old non-literal positions in order; anything standing beyond the
    // old mask (left there by an earlier re-flow) follows them.
    std::string chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!oldMask.IsLiteral(static_cast<int>(i))) chars.push_back(text[i]);
    }
    while (!chars.empty() && chars.back() == ' ')
        chars.pop_back(); // trailing unfilled

    const std::string& m = newMask.Text();
    std::string out;
    out.reserve(std::max(m.size(), chars.size() + m.size()));
    std::size_t next = 0;
    for (char c : m) {
        if (!IsPositionChar(c)) {
            out.push_back(c);
        }
        else {
            out.push_back(next < chars.size() ? chars[next] : ' ');
            ++next;
        }
    }
    // Characters that find no place are kept, so the text grows past its mask.
    if (next < chars.size()) out.append(chars, next, std::string::npos);
    return out;
}

MaskedField::MaskedField(std::string_view mask, std::string_view initialText)
    : mask_(mask), text_(initialText)
{
}

void MaskedField::SetMask(const EditMask& mask)
{
    text_ = ReflowToMask(mask_, text_, mask);
    mask_ = mask;
}

} // namespace trv
