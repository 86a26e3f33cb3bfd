#include "ui/widgets/IntEditField.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace trv {

UpDown::UpDown(QWidget* parent) : QWidget(parent)
{
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    for (auto [button, arrow] : {std::pair{up_, Qt::UpArrow}, std::pair{down_, Qt::DownArrow}}) {
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(15);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        button->setIconSize(QSize(7, 7));
        box->addWidget(button);
    }
    up_->setObjectName("up");
    down_->setObjectName("down");
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void UpDown::SetAssociate(QLineEdit* edit)
{
    if (associate_) associate_->removeEventFilter(this);
    associate_ = edit;
    if (associate_) associate_->installEventFilter(this);
}

void UpDown::SetRange(int min, int max)
{
    min_ = min;
    max_ = max;
    position_ = std::clamp(position_, min_, max_);
}

int UpDown::Position() const
{
    if (associate_) {
        bool ok = false;
        const int typed = associate_->text().trimmed().toInt(&ok);
        if (ok && typed >= min_ && typed <= max_) position_ = typed;
    }
    return position_;
}

void UpDown::SetPosition(int position)
{
    Q_EMIT Changing();
    position_ = std::clamp(position, min_, max_);
    if (associate_) associate_->setText(QString::number(position_));
}

void UpDown::Step(int delta)
{
    const int current = Position();
    const int next = std::clamp(current + delta, min_, max_);
    if (next == current) return;
    SetPosition(next);
}

bool UpDown::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == associate_ && e->type() == QEvent::KeyPress && isEnabled()) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->modifiers() == Qt::NoModifier || ke->modifiers() == Qt::KeypadModifier) {
            if (ke->key() == Qt::Key_Up) return Step(+1), true;
            if (ke->key() == Qt::Key_Down) return Step(-1), true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

IntEditField::IntEditField(const QString& editName, const QString& upDownName, int min, int max,
                           int initial, QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), arrows_(new UpDown(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(edit_, 1);
    row->addWidget(arrows_);
    edit_->setObjectName(editName);
    edit_->setAcceptDrops(false);
    arrows_->setObjectName(upDownName);
    arrows_->SetRange(min, max);
    arrows_->SetAssociate(edit_);
    arrows_->SetPosition(initial);
    setFocusProxy(edit_);
}

} // namespace trv
