// Building the main window's widgets, actions, menus and tool bar.
#include "plot/GraphicControls.h"
#include "ui/Icons.h"
#include "ui/IntEditField.h"
#include "ui/MaskEditField.h"
#include "ui/PlotImage.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace trv {

namespace {

QLabel* Caption(const QString& text, QWidget* parent, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(text, parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

QLabel* InfoLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setMinimumWidth(30);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QCheckBox* CheckBox(const char* name, const QString& text, bool on, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(on);
    return box;
}

QGroupBox* Group(const char* name, const QString& title, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return group;
}

// A mask field sized to its mask, with room for the re-flow's extra character.
MaskEditField* MaskField(const char* name, const char* mask, const char* initial, QWidget* parent)
{
    auto* field = new MaskEditField(mask, initial, parent);
    field->setObjectName(name);
    const QFontMetrics fm(field->font());
    field->setMinimumWidth(fm.horizontalAdvance(QString(field->Mask().Width() + 1, '0')) + 10);
    return field;
}

} // namespace

void TForm1::BuildActions()
{
    const QList<QIcon> icons = ToolBarIcons();
    auto make = [&](QAction*& slot, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut, int image, const char* category) {
        slot = new QAction(caption, this);
        slot->setObjectName(name);
        slot->setProperty("hint", hint); // carried, not shown: the window shows no tool tips
        slot->setProperty("category", QString::fromLatin1(category));
        slot->setProperty("imageIndex", image);
        if (!shortcut.isEmpty()) slot->setShortcut(shortcut);
        if (image >= 0) slot->setIcon(icons.at(image));
        slot->setIconVisibleInMenu(true);
        addAction(slot); // shortcuts work while the menus are closed
    };
    make(EditCopy1, "EditCopy1", "&Copy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), 0, "Edit");
    make(EditCut1, "EditCut1", "Cu&t", "Cut", QKeySequence(Qt::CTRL | Qt::Key_X), 1, "Edit");
    make(EditDelete1, "EditDelete1", "&Delete", "", QKeySequence(Qt::Key_Delete), 2, "Edit");
    make(EditPaste1, "EditPaste1", "&Paste", "Paste", QKeySequence(Qt::CTRL | Qt::Key_V), 3,
         "Edit");
    make(EditSelectAll1, "EditSelectAll1", "Select &All", "", QKeySequence(), -1, "Edit");
    make(EditUndo1, "EditUndo1", "&Undo", "", QKeySequence(Qt::ALT | Qt::Key_Backspace), 4, "Edit");
    make(aOpen, "aOpen", "Open spm", "Open SPM file", QKeySequence(Qt::CTRL | Qt::Key_O), 6, "");
    make(aSave, "aSave", "Save", "Save EXP file", QKeySequence(Qt::CTRL | Qt::Key_S), 5, "");
    make(aSaveAs, "aSaveAs", "Save as", "Save EXP file as", QKeySequence(Qt::Key_F12), -1, "");
    make(aClose, "aClose", "Close", "", QKeySequence(), 7, "");
    make(aLoadHeader, "aLoadHeader", "Load header", "", QKeySequence(Qt::CTRL | Qt::Key_L), 8, "");
    make(aAbout, "aAbout", "About", "", QKeySequence(), 9, "");
    make(aLaugh, "aLaugh", "Laugh!", "", QKeySequence(), -1, "");
    make(SaveBitmap, "SaveBitmap", "Save image as bitmap", "", QKeySequence(), -1, "");
    make(openbitmap, "openbitmap", "Open last bitmap", "", QKeySequence(), -1, "");
    make(SaveASCII, "SaveASCII", "Save as ASCII", "", QKeySequence(), -1, "");
    make(Addspektres1, "Addspektres1", "Add spectres", "", QKeySequence(), -1, "");
    make(Subtractspectres1, "Subtractspectres1", "Subtract spectres", "", QKeySequence(), -1, "");
}

void TForm1::BuildMenusAndToolBar()
{
    auto menu = [&](QMenu*& slot, const char* name, const QString& title) {
        slot = menuBar()->addMenu(title);
        slot->setObjectName(name);
    };
    menuBar()->setObjectName("MainMenu1");
    menu(Files1, "Files1", "Files");
    Files1->addActions({aOpen, aSave, aSaveAs, SaveASCII});
    Files1->addSeparator()->setObjectName("N1");
    Files1->addAction(aClose);
    menu(Edit1, "Edit1", "Edit");
    Edit1->addActions({EditCopy1, EditCut1, EditDelete1, EditPaste1, EditSelectAll1, EditUndo1});
    menu(Image2, "Image2", "Image");
    Image2->addActions({SaveBitmap, openbitmap});
    menu(Special1, "Special1", "Special");
    Special1->addActions({Addspektres1, Subtractspectres1});
    menu(Header1, "Header1", "Header");
    Header1->addAction(aLoadHeader);
    menu(Help1, "Help1", "Help");
    Help1->addActions({aLaugh, aAbout});

    ToolBar1 = new QToolBar("ToolBar1", this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->addActions({aOpen, aSave});
    ToolBar1->addSeparator();
    ToolBar1->addAction(aLoadHeader);
    ToolBar1->addSeparator();
    ToolBar1->addSeparator();
    ToolBar1->addActions({EditCopy1, EditCut1, EditPaste1});
    ToolBar1->addSeparator();
    ToolBar1->addActions({EditDelete1, EditUndo1});
    ToolBar1->addSeparator();
    ToolBar1->addAction(aAbout);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    for (QToolButton* button : ToolBar1->findChildren<QToolButton*>()) {
        button->setFixedWidth(23);
        button->installEventFilter(this); // swallows tool tips
    }

    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    CreditLine = new QLabel(
        QStringLiteral("Trevandel " TRV_VERSION "  \u2013  SPM spectra to EXP files"), StatusBar1);
    CreditLine->setObjectName("StatusPanel0");
    StatusBar1->addWidget(CreditLine, 1);
}

void TForm1::BuildCentre()
{
    auto* centre = new QWidget(this);
    auto* row = new QHBoxLayout(centre);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    StringGrid1 = new QTableWidget(2 - 1, 2, centre);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setHorizontalHeaderLabels({"Channels", "Counts"});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setMinimumSectionSize(16);
    StringGrid1->verticalHeader()->setDefaultSectionSize(16);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    // The counts column takes what the scroll bar leaves, so no horizontal scrolling is needed.
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setColumnWidth(0, 64);
    StringGrid1->setColumnWidth(1, 120);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setWordWrap(false);
    StringGrid1->setAcceptDrops(false);
    StringGrid1->setStyleSheet("QTableWidget::item { padding: 0px 4px; }");

    Splitter1 = new QSplitter(Qt::Horizontal, centre);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(3);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(StringGrid1);
    Splitter1->addWidget(BuildLeftPanel());
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({193, 600});
    row->addWidget(Splitter1, 1);
    row->addWidget(BuildRightPanel());
    setCentralWidget(centre);
}

QWidget* TForm1::BuildLeftPanel()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(4, 2, 4, 4);
    column->setSpacing(4);
    BuildLoadOptions(Panel1);
    BuildSpmInfo(Panel1);
    BuildGraphic(Panel1);
    column->addWidget(GroupBox5);
    column->addWidget(GroupBox1);
    column->addWidget(GroupBox2);

    Image1 = new PlotImage(Panel1);
    Image1->setObjectName("Image1");
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    Image1->setMinimumSize(120, 80);
    column->addWidget(Image1, 1);
    return Panel1;
}

void TForm1::BuildLoadOptions(QWidget* parent)
{
    GroupBox5 = Group("GroupBox5", "Load options", parent);
    auto* grid = new QGridLayout(GroupBox5);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    CheckBox1 = CheckBox("CheckBox1", "Show data", false, GroupBox5);
    CheckBox5 = CheckBox("CheckBox5", "Preview", true, GroupBox5);
    CheckBox6 = CheckBox("CheckBox6", "Guess scale", true, GroupBox5);
    CheckBox7 = CheckBox("CheckBox7", "Guess Exp Data", true, GroupBox5);
    grid->addWidget(CheckBox1, 0, 0);
    grid->addWidget(CheckBox5, 1, 0);
    grid->addWidget(CheckBox6, 0, 1);
    grid->addWidget(CheckBox7, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(0, 100);
}

void TForm1::BuildSpmInfo(QWidget* parent)
{
    GroupBox1 = Group("GroupBox1", "SPM Info", parent);
    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(16);
    Label1 = InfoLabel("Label1", "-", GroupBox1);
    Label2 = InfoLabel("Label2", "-", GroupBox1);
    Label5 = InfoLabel("Label5", "", GroupBox1);
    Label3 = InfoLabel("Label3", "-", GroupBox1);
    Label4 = InfoLabel("Label4", "-", GroupBox1);
    Label6 = InfoLabel("Label6", "-", GroupBox1);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Label5, 1, 1);
    grid->addWidget(Label3, 2, 0, 1, 3);
    grid->addWidget(Label4, 3, 0, 1, 3);
    grid->addWidget(Label6, 4, 0, 1, 3);
    grid->setColumnMinimumWidth(0, 96);
    grid->setColumnStretch(2, 1);
}

void TForm1::BuildGraphic(QWidget* parent)
{
    GroupBox2 = Group("GroupBox2", "Graphic", parent);
    auto* grid = new QGridLayout(GroupBox2);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(12);
    auto spin = [&](QLineEdit*& edit, UpDown*& arrows, const char* editName, const char* upDownName,
                    SpinRange range, int initial, int width) {
        auto* field =
            new IntEditField(editName, upDownName, range.Min, range.Max, initial, GroupBox2);
        edit = field->Edit();
        arrows = field->Arrows();
        field->setFixedWidth(width + 15);
        return field;
    };
    // The controls start at the plot's default settings.
    const PlotSettings initial;
    QWidget* left =
        spin(Edit4, UpDown3, "Edit4", "UpDown3", kIgnoreRange, initial.IgnoreFromLeft, 91);
    QWidget* right =
        spin(Edit5, UpDown4, "Edit5", "UpDown4", kIgnoreRange, initial.IgnoreFromRight, 89);
    QWidget* scale = spin(Edit2, UpDown1, "Edit2", "UpDown1", kScaleRange, initial.Scale, 91);
    QWidget* fold = spin(Edit6, UpDown5, "Edit6", "UpDown5", kFoldRange, initial.FoldChannel, 91);
    QWidget* mean =
        spin(Edit7, UpDown6, "Edit7", "UpDown6", kMeanWidthRange, initial.MeanWidth, 33);
    ileft = Caption("Ignore from &Left", GroupBox2, Edit4);
    ileft->setObjectName("ileft");
    Label8 = Caption("Ignore from &Right", GroupBox2, Edit5);
    Label8->setObjectName("Label8");
    Label9 = Caption("Scal&e (1/10%)", GroupBox2, Edit2);
    Label9->setObjectName("Label9");
    Label10 = Caption("&Folding channel", GroupBox2, Edit6);
    Label10->setObjectName("Label10");
    CheckBox2 = CheckBox("CheckBox2", "F&olded", initial.Folded, GroupBox2);
    CheckBox3 = CheckBox("CheckBox3", "Dr&aw Errorlines", initial.DrawErrorLines, GroupBox2);
    CheckBox4 = CheckBox("CheckBox4", "Draw mea&n", initial.DrawMean, GroupBox2);
    Button1 = new QPushButton("Preview", GroupBox2);
    Button1->setObjectName("Button1");
    Button4 = new QPushButton("&View", GroupBox2);
    Button4->setObjectName("Button4");
    for (QPushButton* b : {Button1, Button4})
        b->setAutoDefault(false);

    auto* meanRow = new QHBoxLayout;
    meanRow->setSpacing(6);
    meanRow->addWidget(CheckBox4);
    meanRow->addWidget(mean);
    meanRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(Button1);
    buttons->addWidget(Button4);
    buttons->addStretch(1);

    grid->addWidget(ileft, 0, 0);
    grid->addWidget(Label8, 0, 1);
    grid->addWidget(left, 1, 0);
    grid->addWidget(right, 1, 1);
    grid->addWidget(Label9, 2, 0);
    grid->addWidget(CheckBox2, 2, 1);
    grid->addWidget(scale, 3, 0);
    grid->addWidget(CheckBox3, 3, 1);
    grid->addWidget(Label10, 4, 0);
    grid->addLayout(meanRow, 4, 1);
    grid->addWidget(fold, 5, 0);
    grid->addLayout(buttons, 5, 1);
    grid->setColumnStretch(2, 1);
}

QWidget* TForm1::BuildRightPanel()
{
    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    auto* column = new QVBoxLayout(Panel2);
    column->setContentsMargins(2, 2, 4, 4);
    column->setSpacing(4);
    BuildExpData(Panel2);
    BuildExpHeader(Panel2);
    BuildSaveOptions(Panel2);
    column->addWidget(GroupBox4);
    column->addWidget(GroupBox3);
    column->addWidget(GroupBox6);
    column->addStretch(1);
    // 328 pixels wide, unless the captions of this font need a little more.
    Panel2->setFixedWidth(std::max(328, column->minimumSize().width()));
    return Panel2;
}

void TForm1::BuildExpData(QWidget* parent)
{
    GroupBox4 = Group("GroupBox4", "Exp Data", parent);
    auto* grid = new QGridLayout(GroupBox4);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(1);
    Edit13 = new QLineEdit(GroupBox4);
    Edit13->setObjectName("Edit13");
    Edit13->setMaxLength(kDescriptionMaxLength);
    Edit13->setAcceptDrops(false);
    MaskEdit1 = MaskField("MaskEdit1", kSerialMask, "H       ", GroupBox4);
    MaskEdit2 = MaskField("MaskEdit2", kBFieldMask, " . T", GroupBox4);
    MaskEdit3 = MaskField("MaskEdit3", kTemperatureMask, "    K", GroupBox4);
    grid->addWidget(Caption("Description", GroupBox4, Edit13), 0, 0, 1, 3);
    grid->addWidget(Edit13, 1, 0, 1, 3);
    grid->addWidget(Caption("Serial #", GroupBox4, MaskEdit1), 2, 0);
    grid->addWidget(Caption("B-field", GroupBox4, MaskEdit2), 2, 1);
    grid->addWidget(Caption("Temperature", GroupBox4, MaskEdit3), 2, 2);
    grid->addWidget(MaskEdit1, 3, 0);
    grid->addWidget(MaskEdit2, 3, 1);
    grid->addWidget(MaskEdit3, 3, 2);
}

void TForm1::BuildExpHeader(QWidget* parent)
{
    GroupBox3 = Group("GroupBox3", "Exp Header", parent);
    auto* grid = new QGridLayout(GroupBox3);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(6);
    auto intField = [&](QLineEdit*& edit, UpDown*& arrows, const char* editName,
                        const char* upDownName, int max, int initial) {
        auto* field = new IntEditField(editName, upDownName, 0, max, initial, GroupBox3);
        edit = field->Edit();
        arrows = field->Arrows();
        return field;
    };
    QWidget* channels = intField(Edit8, UpDown7, "Edit8", "UpDown7", 1000, 512);
    QWidget* ignoreLeft = intField(Edit9, UpDown8, "Edit9", "UpDown8", 1000, 9);
    QWidget* ignoreRight = intField(Edit10, UpDown9, "Edit10", "UpDown9", 1000, 245);
    QWidget* millions = intField(Edit11, UpDown10, "Edit11", "UpDown10", 100, 0);
    MaskEdit4 = MaskField("MaskEdit4", kFolding512Mask, "512.0000", GroupBox3);
    MaskEdit5 = MaskField("MaskEdit5", kZeroSpeedMask, "128.00", GroupBox3);
    MaskEdit6 = MaskField("MaskEdit6", kCalibrationMask, "0.09135", GroupBox3);
    Edit12 = new QLineEdit("08", GroupBox3);
    Edit12->setObjectName("Edit12");
    Edit12->setReadOnly(true);
    Edit12->setAcceptDrops(false);
    MaskEdit7 = MaskField("MaskEdit7", kExtraShortMask, "000.00", GroupBox3);
    MaskEdit9 = MaskField("MaskEdit9", kExtraLongMask, "0.00000", GroupBox3);
    MaskEdit8 = MaskField("MaskEdit8", kExtraShortMask, "000.00", GroupBox3);
    MaskEdit10 = MaskField("MaskEdit10", kExtraLongMask, "0.00000", GroupBox3);

    struct Cell {
        const char* caption;
        QWidget* field;
        QWidget* buddy;
    };
    const Cell cells[3][4] = {
        {{"# Channels", channels, Edit8},
         {"Ignore left", ignoreLeft, Edit9},
         {"Ignore right", ignoreRight, Edit10},
         {"2xFolding channel", MaskEdit4, MaskEdit4}},
        {{"# counts (10^6)", millions, Edit11},
         {"Zero speed Channel", MaskEdit5, MaskEdit5},
         {"Calibration constant", MaskEdit6, MaskEdit6},
         {"Columns", Edit12, Edit12}},
        {{"???", MaskEdit7, MaskEdit7},
         {"???", MaskEdit9, MaskEdit9},
         {"???", MaskEdit8, MaskEdit8},
         {"???", MaskEdit10, MaskEdit10}},
    };
    for (int col = 0; col < 3; ++col) {
        for (int r = 0; r < 4; ++r) {
            const Cell& c = cells[col][r];
            grid->addWidget(Caption(c.caption, GroupBox3, c.buddy), 2 * r, col);
            grid->addWidget(c.field, 2 * r + 1, col);
        }
    }
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
}

void TForm1::BuildSaveOptions(QWidget* parent)
{
    GroupBox6 = Group("GroupBox6", "Save options", parent);
    auto* column = new QVBoxLayout(GroupBox6);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(1);
    cbSaveAsMode = new QComboBox(GroupBox6);
    cbSaveAsMode->setObjectName("cbSaveAsMode");
    cbSaveAsMode->setEditable(false);
    cbSaveAsMode->addItems({"1024 Channels", "512 Channels (add)", "512 Channels (mean)"});
    cbSaveAsMode->setCurrentIndex(-1);
    SaveAsModeLabel = Caption("Save as (&Channels)", GroupBox6, cbSaveAsMode);
    SaveAsModeLabel->setObjectName("Label7");
    column->addWidget(SaveAsModeLabel);
    column->addWidget(cbSaveAsMode);
}

void TForm1::SetTabOrder()
{
    setTabOrder(Edit13, MaskEdit1);
    setTabOrder(MaskEdit1, MaskEdit2);
    setTabOrder(MaskEdit2, MaskEdit3);
    setTabOrder(MaskEdit3, Edit8);
    setTabOrder(Edit8, Edit9);
    setTabOrder(Edit9, Edit10);
    setTabOrder(Edit10, MaskEdit4);
    setTabOrder(MaskEdit4, Edit11);
    setTabOrder(Edit11, MaskEdit5);
    setTabOrder(MaskEdit5, MaskEdit6);
    setTabOrder(MaskEdit6, Edit12);
    setTabOrder(Edit12, MaskEdit7);
    setTabOrder(MaskEdit7, MaskEdit9);
    setTabOrder(MaskEdit9, MaskEdit8);
    setTabOrder(MaskEdit8, MaskEdit10);
    setTabOrder(MaskEdit10, cbSaveAsMode);
}

} // namespace trv
