#include "ui/TForm5.h"

#include "platform/FileIo.h"
#include "ui/ErrorGuard.h"
#include "ui/TextConvert.h"

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

TForm5::TForm5(AdoptSpectrum adopt, Platform& platform, LocaleFormats locale, QWidget* parent)
    : QDialog(parent), adopt_(std::move(adopt)), platform_(platform), locale_(std::move(locale))
{
    setObjectName("Form5");
    // No title text; Qt would put the program's name into an empty one.
    setWindowTitle(" ");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    BuildSlot(slots_[0], GroupBox1, Edit1, Button1, ListView1, "1", "File #1");
    BuildSlot(slots_[1], GroupBox2, Edit2, Button2, ListView2, "2", "File #2");

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::NoFrame);
    Button5 = Button("Button5", "&Add", Panel1);
    Button4 = Button("Button4", "&Subtract", Panel1);
    Button3 = Button("Button3", "&Close", Panel1);
    for (QPushButton* b : {Button1, Button2, Button5, Button4, Button3})
        b->setAutoDefault(false); // Enter picks no button of its own accord
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, ListView1);
    setTabOrder(ListView1, Edit2);
    setTabOrder(Edit2, Button2);
    setTabOrder(Button2, ListView2);
    setTabOrder(ListView2, Button5);
    setTabOrder(Button5, Button4);
    setTabOrder(Button4, Button3);

    connect(Button1, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { Button2Click(); }); });
    connect(Button4, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { Button4Click(Button4); }); });
    connect(Button5, &QPushButton::clicked, this,
            [this] { RunGuarded(platform_, [this] { Button4Click(Button5); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    // One list as tall as nine rows of the font in use, but never below the designed height.
    auto* probe = new QTreeWidgetItem(ListView1, QStringList{"Header length", "0"});
    const int rowHeight = std::max(ListView1->sizeHintForRow(0), fontMetrics().height());
    delete probe;
    const int listHeight = ListView1->header()->sizeHint().height() + kListRows * rowHeight +
                           2 * ListView1->frameWidth() + 2;
    groupHeight_ = std::max(kGroupHeight, kListTop + listHeight + 8);
    resize(kClientWidth, 2 * groupHeight_ + kPanelHeight);
    setMinimumSize(400, groupHeight_ + kPanelHeight + 60);
    PlaceControls();
}

void TForm5::BuildSlot(SpmSlot& slot, QGroupBox*& group, QLineEdit*& edit, QPushButton*& browse,
                       QTreeWidget*& list, const char* suffix, const QString& title)
{
    group = new QGroupBox(title, this);
    group->setObjectName(QString("GroupBox") + suffix);
    edit = new QLineEdit(group);
    edit->setObjectName(QString("Edit") + suffix);
    edit->setReadOnly(true);
    browse = Button(suffix[0] == '1' ? "Button1" : "Button2", "Browse", group);
    list = new QTreeWidget(group);
    list->setObjectName(QString("ListView") + suffix);
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

void TForm5::PlaceControls()
{
    const int w = width();
    const int h = height();
    const int group2Height = std::max(0, h - groupHeight_ - kPanelHeight);
    // The frames keep a small margin, so their titles don't touch the window's edge.
    GroupBox1->setGeometry(kGroupInset, 0, w - 2 * kGroupInset, groupHeight_);
    GroupBox2->setGeometry(kGroupInset, groupHeight_, w - 2 * kGroupInset, group2Height);
    Panel1->setGeometry(0, h - kPanelHeight, w, kPanelHeight);
    // The path fields stretch; the buttons keep to the right edge.
    const int gw = w - 2 * kGroupInset;
    for (int i = 0; i < 2; ++i) {
        QGroupBox* group = i == 0 ? GroupBox1 : GroupBox2;
        QLineEdit* edit = i == 0 ? Edit1 : Edit2;
        QPushButton* browse = i == 0 ? Button1 : Button2;
        QTreeWidget* list = i == 0 ? ListView1 : ListView2;
        edit->setGeometry(8, 24, std::max(40, gw - 16), edit->sizeHint().height());
        browse->setGeometry(gw - 83, kListTop, 75, 25);
        list->setGeometry(8, kListTop, 489, std::max(40, group->height() - kListTop - 8));
    }
    Button5->setGeometry(w - 245, 8, 75, 25);
    Button4->setGeometry(w - 165, 8, 75, 25);
    Button3->setGeometry(w - 85, 8, 75, 25);
}

void TForm5::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    PlaceControls();
}

std::vector<std::pair<QString, QString>> TForm5::SlotRows(int index) const
{
    std::vector<std::pair<QString, QString>> rows;
    const QTreeWidget* list = slots_[index].list;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows.emplace_back(item->text(0), item->text(1));
    }
    return rows;
}

void TForm5::Browse(int index)
{
    // This window's own dialog: the main window's folder memory is not written here.
    FileDialogRequest request;
    request.title = "Open";
    request.filter = "SPM-files (*.spm)|*.spm";
    const auto chosen = platform_.OpenFileDialog(request);
    if (!chosen) return;
    LoadSlot(index, chosen->path);
}

void TForm5::LoadSlot(int index, const QString& path)
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

void TForm5::Button4Click(const QPushButton* clicked)
{
    CombineSpectra(clicked == Button4 ? CombineOp::Subtract : CombineOp::Add);
}

void TForm5::CombineSpectra(CombineOp op)
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
