#include "ui/windows/CombineSpectraDialog.h"

#include "platform/FileIo.h"
#include "ui/ErrorGuard.h"
#include "ui/TextConvert.h"

#include <string>

#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeWidget>

#include <algorithm>

namespace trv {

namespace {

// Client area of the window as designed; everything else is placed from its edges. The slots
// grow beyond their designed height when the font needs it to show a whole list (nine rows).
constexpr int kClientWidth = 709;
constexpr int kGroupHeight = 185;
constexpr int kPanelHeight = 41;
constexpr int kListTop = 48;
constexpr int kListRows = 9;
constexpr int kGroupInset = 4;

QPushButton* Button(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

CombineSpectraDialog::CombineSpectraDialog(AdoptSpectrum adopt, Platform& platform,
                                           LocaleFormats locale, QWidget* parent)
    : QDialog(parent), adopt_(std::move(adopt)), platform_(platform), locale_(std::move(locale))
{
    setObjectName("CombineSpectraDialog");
    // No title text; Qt would put the program's name into an empty one.
    setWindowTitle(" ");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    BuildSlot(slots_[0], firstGroup_, firstPathEdit_, firstBrowseButton_, firstList_, "first",
              "File #1");
    BuildSlot(slots_[1], secondGroup_, secondPathEdit_, secondBrowseButton_, secondList_, "second",
              "File #2");

    buttonPanel_ = new QFrame(this);
    buttonPanel_->setObjectName("buttonPanel");
    buttonPanel_->setFrameShape(QFrame::NoFrame);
    addButton_ = Button("addButton", "&Add", buttonPanel_);
    subtractButton_ = Button("subtractButton", "&Subtract", buttonPanel_);
    closeButton_ = Button("closeButton", "&Close", buttonPanel_);
    for (QPushButton* b :
         {firstBrowseButton_, secondBrowseButton_, addButton_, subtractButton_, closeButton_})
        b->setAutoDefault(false); // Enter picks no button of its own accord
    setTabOrder(firstPathEdit_, firstBrowseButton_);
    setTabOrder(firstBrowseButton_, firstList_);
    setTabOrder(firstList_, secondPathEdit_);
    setTabOrder(secondPathEdit_, secondBrowseButton_);
    setTabOrder(secondBrowseButton_, secondList_);
    setTabOrder(secondList_, addButton_);
    setTabOrder(addButton_, subtractButton_);
    setTabOrder(subtractButton_, closeButton_);

    connect(firstBrowseButton_, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { OnBrowseFirst(); }); });
    connect(secondBrowseButton_, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { OnBrowseSecond(); }); });
    connect(subtractButton_, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { OnCombineClicked(subtractButton_); }); });
    connect(addButton_, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { OnCombineClicked(addButton_); }); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    // One list as tall as nine rows of the font in use, but never below the designed height.
    auto* probe = new QTreeWidgetItem(firstList_, QStringList{"Header length", "0"});
    const int rowHeight = std::max(firstList_->sizeHintForRow(0), fontMetrics().height());
    delete probe;
    const int listHeight = firstList_->header()->sizeHint().height() + kListRows * rowHeight +
                           2 * firstList_->frameWidth() + 2;
    groupHeight_ = std::max(kGroupHeight, kListTop + listHeight + 8);
    resize(kClientWidth, 2 * groupHeight_ + kPanelHeight);
    setMinimumSize(400, groupHeight_ + kPanelHeight + 60);
    PlaceControls();
}

void CombineSpectraDialog::BuildSlot(SpmSlot& slot, QGroupBox*& group, QLineEdit*& edit,
                                     QPushButton*& browse, QTreeWidget*& list, const char* suffix,
                                     const QString& title)
{
    group = new QGroupBox(title, this);
    group->setObjectName(QString(suffix) + "Group");
    edit = new QLineEdit(group);
    edit->setObjectName(QString(suffix) + "PathEdit");
    edit->setReadOnly(true);
    browse = Button((std::string(suffix) + "BrowseButton").c_str(), "Browse", group);
    list = new QTreeWidget(group);
    list->setObjectName(QString(suffix) + "List");
    list->setColumnCount(2);
    list->setHeaderLabels({QString(), QString()});
    list->header()->setSectionsClickable(false);
    list->header()->setStretchLastSection(false);
    list->setColumnWidth(0, 200);
    list->setColumnWidth(1, 200);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    slot.path = edit;
    slot.list = list;
}

void CombineSpectraDialog::PlaceControls()
{
    const int w = width();
    const int h = height();
    const int group2Height = std::max(0, h - groupHeight_ - kPanelHeight);
    // The frames keep a small margin, so their titles don't touch the window's edge.
    firstGroup_->setGeometry(kGroupInset, 0, w - 2 * kGroupInset, groupHeight_);
    secondGroup_->setGeometry(kGroupInset, groupHeight_, w - 2 * kGroupInset, group2Height);
    buttonPanel_->setGeometry(0, h - kPanelHeight, w, kPanelHeight);
    // The path fields stretch; the buttons keep to the right edge.
    const int gw = w - 2 * kGroupInset;
    for (int i = 0; i < 2; ++i) {
        QGroupBox* group = i == 0 ? firstGroup_ : secondGroup_;
        QLineEdit* edit = i == 0 ? firstPathEdit_ : secondPathEdit_;
        QPushButton* browse = i == 0 ? firstBrowseButton_ : secondBrowseButton_;
        QTreeWidget* list = i == 0 ? firstList_ : secondList_;
        edit->setGeometry(8, 24, std::max(40, gw - 16), edit->sizeHint().height());
        browse->setGeometry(gw - 83, kListTop, 75, 25);
        list->setGeometry(8, kListTop, 489, std::max(40, group->height() - kListTop - 8));
    }
    addButton_->setGeometry(w - 245, 8, 75, 25);
    subtractButton_->setGeometry(w - 165, 8, 75, 25);
    closeButton_->setGeometry(w - 85, 8, 75, 25);
}

void CombineSpectraDialog::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    PlaceControls();
}

std::vector<std::pair<QString, QString>> CombineSpectraDialog::SlotRows(int index) const
{
    std::vector<std::pair<QString, QString>> rows;
    const QTreeWidget* list = slots_[index].list;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows.emplace_back(item->text(0), item->text(1));
    }
    return rows;
}

void CombineSpectraDialog::Browse(int index)
{
    // This window's own dialog: the main window's folder memory is not written here.
    FileDialogRequest request;
    request.title = "Open";
    request.filter = "SPM-files (*.spm)|*.spm";
    const auto chosen = platform_.OpenFileDialog(request);
    if (!chosen) return;
    LoadSlot(index, chosen->path);
}

void CombineSpectraDialog::LoadSlot(int index, const QString& path)
{
    SpmSlot& slot = slots_[index];
    slot.list->clear();
    slot.path->setText(path);
    platform_.ProcessEvents();

    // A file that can't be read or parsed leaves the slot's earlier counts in place.
    const std::string pathBytes = PathBytes(path);
    const std::string bytes = ReadWholeFile(pathBytes);
    SpmSpectrum spectrum = ParseSpmImage(bytes, pathBytes, locale_);
    slot.size = spectrum.info.FileSize;
    slot.channelCount = spectrum.info.ChannelCount;

    for (const auto& [name, value] : SlotInfoRows(spectrum.info, locale_)) {
        auto* item = new QTreeWidgetItem(slot.list);
        item->setText(0, Latin1(name));
        item->setText(1, name == "Filename" ? PathText(value) : Latin1(value));
    }
    slot.counts = std::move(spectrum.counts);
}

void CombineSpectraDialog::OnCombineClicked(const QPushButton* clicked)
{
    CombineSpectra(clicked == subtractButton_ ? CombineOp::Subtract : CombineOp::Add);
}

void CombineSpectraDialog::CombineSpectra(CombineOp op)
{
    // A slot that never held a spectrum would make an empty result out of nothing.
    if (slots_[0].counts.empty() || slots_[1].counts.empty()) {
        platform_.MessageBox(kPickTwoText);
        return;
    }
    if (slots_[0].channelCount != slots_[1].channelCount) {
        platform_.MessageBox(kNotSameChannelsText);
        return;
    }
    adopt_(trv::CombineSpectra(slots_[0].counts, slots_[1].counts, op), slots_[0].channelCount);
}

} // namespace trv
