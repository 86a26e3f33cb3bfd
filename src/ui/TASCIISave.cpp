#include "ui/TASCIISave.h"

#include <QButtonGroup>
#include <QFrame>
#include <QPushButton>
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

TASCIISave::TASCIISave(QWidget* parent) : QDialog(parent)
{
    setObjectName("ASCIISave");
    setWindowTitle("ACSII Save");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(215, 266);
    setModal(true);

    constexpr int kPanelHeight = 36;
    GroupBox1 = new QFrame(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setFrameShape(QFrame::StyledPanel);
    GroupBox1->setFrameShadow(QFrame::Sunken);
    GroupBox1->setGeometry(4, 4, 215 - 8, 266 - kPanelHeight - 4);

    RadioGroup1 = new RadioGroup("X-axis", {"Channel Number", "Velocity"}, GroupBox1);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setGeometry(8, 8, 191, 74);
    RadioGroup1->SetItemIndex(1);

    RadioGroup2 = new RadioGroup(
        "Channels", {"1024 Channels", "512 Channels (add)", "512 Channels (mean)"}, GroupBox1);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setGeometry(8, 92, 191, 98);
    RadioGroup2->SetItemIndex(1);
    RadioGroup2->setEnabled(false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 266 - kPanelHeight, 215, kPanelHeight);

    Button1 = new QPushButton("Save", Panel1);
    Button1->setObjectName("Button1");
    Button1->setGeometry(215 - 8 - 75 - 6 - 75, 6, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", Panel1);
    Button2->setObjectName("Button2");
    Button2->setGeometry(215 - 8 - 75, 6, 75, 25);

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

} // namespace trv
