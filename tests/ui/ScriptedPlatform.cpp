#include "ScriptedPlatform.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace trv::test {

void ScriptedPlatform::Verify()
{
    EXPECT_EQ(open_.size() + save_.size() + input_.size() + question_.size(), 0u)
        << "answers never asked for";
    open_.clear();
    save_.clear();
    input_.clear();
    question_.clear();
}

bool ScriptedPlatform::Question(const QString& text)
{
    questions << text;
    if (question_.empty()) {
        ADD_FAILURE() << "a question was asked but no answer was queued: " << text.toStdString();
        return false;
    }
    const bool yes = question_.front();
    question_.pop_front();
    return yes;
}

std::optional<FileDialogResult> ScriptedPlatform::Answer(std::deque<FileDialogResult>& queue,
                                                         const char* kind)
{
    if (queue.empty()) {
        ADD_FAILURE() << "a " << kind << " dialog was shown but no answer was queued";
        return std::nullopt;
    }
    const FileDialogResult answer = queue.front();
    queue.pop_front();
    if (answer.path.isEmpty()) return std::nullopt;
    QDir::setCurrent(QFileInfo(answer.path).absolutePath());
    return answer;
}

std::optional<QString> ScriptedPlatform::InputBox(const QString&, const QString& prompt,
                                                  const QString&)
{
    inputPrompts << prompt;
    if (input_.empty()) {
        ADD_FAILURE() << "an input box was shown but no answer was queued";
        return std::nullopt;
    }
    const auto [given, text] = input_.front();
    input_.pop_front();
    return given ? std::optional<QString>(text) : std::nullopt;
}

void ScriptedPlatform::PrintWidget(QWidget* widget)
{
    if (onPrint) onPrint(widget);
    if (!hasPrinter) throw AppError("There is no default printer currently selected");
    ++printed;
}

} // namespace trv::test
