#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trv {

// An edit mask: '0' requires a digit, '9' permits a digit, 'L' requires a letter; every other
// character is a literal that stands fixed. A ";1;_" tail (literals kept, '_' for blanks) is
// accepted and dropped, since it does not change the behaviour.
class EditMask {
  public:
    EditMask() = default;
    explicit EditMask(std::string_view mask);

    const std::string& Text() const { return mask_; } // without the tail
    int Width() const { return static_cast<int>(mask_.size()); }
    bool IsLiteral(int pos) const;
    // Whether a typed character is accepted at a non-literal position.
    bool Accepts(int pos, char c) const;

  private:
    std::string mask_;
};

// Assigning text t to a field with this mask (the fit rule).
std::string FitToMask(const EditMask& mask, std::string_view text);
// The text of a field re-flowed from one mask into another; may be longer than newMask.
std::string ReflowToMask(const EditMask& oldMask, std::string_view text, const EditMask& newMask);

// A one-line text governed by an edit mask, at the mask's full width (longer only after a
// re-flow into a smaller mask). Unfilled positions read as spaces.
class MaskedField {
  public:
    MaskedField() = default;
    MaskedField(std::string_view mask, std::string_view initialText);

    const EditMask& Mask() const { return mask_; }
    const std::string& Text() const { return text_; }
    void Assign(std::string_view text) { text_ = FitToMask(mask_, text); }
    void SetMask(const EditMask& mask);
    // Sets the text as a user edit produced it (no fit rule).
    void SetRawText(std::string text) { text_ = std::move(text); }

  private:
    EditMask mask_;
    std::string text_;
};

} // namespace trv
