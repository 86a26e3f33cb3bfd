#include "ui/widgets/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace trv {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 4, 8, 6);
    column->setSpacing(2);
    for (const QString& text : items) {
        auto* item = new QRadioButton(text, this);
        group_->addButton(item, static_cast<int>(items_.size()));
        items_.push_back(item);
        column->addWidget(item);
    }
    column->addStretch(1);
}

int RadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count()) items_[static_cast<std::size_t>(index)]->setChecked(true);
}

} // namespace trv
