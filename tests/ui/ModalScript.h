#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace trv::test {

// What the user does in a modal window: once a modal window of type T is up (inside the
// exec() of the reaction that opened it), `action` runs on it and is expected to close it.
// A window that doesn't come up within three seconds is given up on; a modal window of
// another kind is then closed, so a failing test can't hang.
template <class T> class OnModal {
  public:
    explicit OnModal(std::function<void(T&)> action) : action_(std::move(action))
    {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(5);
    }
    OnModal(const OnModal&) = delete;
    OnModal& operator=(const OnModal&) = delete;

    // Whether the action ran (it runs at most once).
    bool Ran() const { return ran_; }

  private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* window = qobject_cast<T*>(modal)) {
            timer_.stop();
            ran_ = true;
            action_(*window);
        }
        else if (clock_.elapsed() > 3000) {
            timer_.stop();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(-1);
        }
    }

    std::function<void(T&)> action_;
    QTimer timer_;
    QElapsedTimer clock_;
    bool ran_ = false;
};

} // namespace trv::test
