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

template <class T> T ScriptedPlatform::Next(std::deque<T>& queue, const char* kind, T none)
{
    if (queue.empty()) {
        ADD_FAILURE() << "a " << kind << " was shown but no answer was queued";
        return none;
    }
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

bool ScriptedPlatform::Question(const QString& text)
{
    questions << text;
    return Next(question_, "question box", false);
}

std::optional<FileDialogResult> ScriptedPlatform::Answer(std::deque<FileDialogResult>& queue,
                                                         const char* kind)
{
    const FileDialogResult answer = Next(queue, kind, FileDialogResult{});
    if (answer.path.isEmpty()) return std::nullopt;
    QDir::setCurrent(QFileInfo(answer.path).absolutePath());
    return answer;
}

std::optional<QString> ScriptedPlatform::InputBox(const QString&, const QString& prompt,
                                                  const QString&)
{
    inputPrompts << prompt;
    const auto [given, text] = Next(input_, "input box", std::pair<bool, QString>());
    return given ? std::optional<QString>(text) : std::nullopt;
}

void ScriptedPlatform::PrintWidget(QWidget* widget)
{
    if (onPrint) onPrint(widget);
    if (!hasPrinter) throw AppError("There is no default printer currently selected");
    ++printed;
}

} // namespace trv::test
