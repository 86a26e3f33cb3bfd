#include "ScriptedPlatform.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace trv::test {

void ScriptedPlatform::Verify()
{
    EXPECT_TRUE(openAnswers_.empty()) << openAnswers_.size() << " open answer(s) never asked for";
    EXPECT_TRUE(saveAnswers_.empty()) << saveAnswers_.size() << " save answer(s) never asked for";
    EXPECT_TRUE(inputAnswers_.empty())
        << inputAnswers_.size() << " input answer(s) never asked for";
    openAnswers_.clear();
    saveAnswers_.clear();
    inputAnswers_.clear();
}

std::optional<FileDialogResult>
ScriptedPlatform::Answer(std::deque<std::optional<FileDialogResult>>& queue, const char* kind)
{
    if (queue.empty()) {
        ADD_FAILURE() << "a " << kind << " dialog was shown but no answer was queued";
        return std::nullopt;
    }
    auto answer = queue.front();
    queue.pop_front();
    if (answer) QDir::setCurrent(QFileInfo(answer->path).absolutePath());
    return answer;
}

std::optional<QString> ScriptedPlatform::InputBox(const QString&, const QString& prompt,
                                                  const QString&)
{
    inputPrompts << prompt;
    if (inputAnswers_.empty()) {
        ADD_FAILURE() << "an input box was shown but no answer was queued";
        return std::nullopt;
    }
    // Built from parts: copying the optional whole trips a false uninitialised warning in GCC 12.
    const bool given = inputAnswers_.front().has_value();
    const QString text = given ? *inputAnswers_.front() : QString();
    inputAnswers_.pop_front();
    return given ? std::optional<QString>(text) : std::nullopt;
}

void ScriptedPlatform::PrintWidget(QWidget* widget)
{
    if (onPrint) onPrint(widget);
    if (!hasPrinter) throw AppError("There is no default printer currently selected");
    ++printed;
}

} // namespace trv::test
