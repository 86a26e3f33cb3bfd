#include "ui/windows/AsciiExportDialog.h"

#include <QFrame>
#include <QPushButton>

namespace trv {

AsciiExportDialog::AsciiExportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("AsciiExportDialog");
    setWindowTitle("ACSII Save");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(215, 266);
    setModal(true);

    constexpr int kPanelHeight = 36;
    optionsFrame_ = new QFrame(this);
    optionsFrame_->setObjectName("optionsFrame");
    optionsFrame_->setFrameShape(QFrame::StyledPanel);
    optionsFrame_->setFrameShadow(QFrame::Sunken);
    optionsFrame_->setGeometry(4, 4, 215 - 8, 266 - kPanelHeight - 4);

    xAxisGroup_ = new RadioGroup("X-axis", {"Channel Number", "Velocity"}, optionsFrame_);
    xAxisGroup_->setObjectName("xAxisGroup");
    xAxisGroup_->setGeometry(8, 8, 191, 74);
    xAxisGroup_->SetItemIndex(1);

    channelsGroup_ = new RadioGroup(
        "Channels", {"1024 Channels", "512 Channels (add)", "512 Channels (mean)"}, optionsFrame_);
    channelsGroup_->setObjectName("channelsGroup");
    channelsGroup_->setGeometry(8, 92, 191, 98);
    channelsGroup_->SetItemIndex(1);
    channelsGroup_->setEnabled(false);

    buttonPanel_ = new QFrame(this);
    buttonPanel_->setObjectName("buttonPanel");
    buttonPanel_->setGeometry(0, 266 - kPanelHeight, 215, kPanelHeight);

    saveButton_ = new QPushButton("Save", buttonPanel_);
    saveButton_->setObjectName("saveButton");
    saveButton_->setGeometry(215 - 8 - 75 - 6 - 75, 6, 75, 25);
    saveButton_->setDefault(true);
    cancelButton_ = new QPushButton("Cancel", buttonPanel_);
    cancelButton_->setObjectName("cancelButton");
    cancelButton_->setGeometry(215 - 8 - 75, 6, 75, 25);

    connect(saveButton_, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { OnCancel(); });
}

} // namespace trv
