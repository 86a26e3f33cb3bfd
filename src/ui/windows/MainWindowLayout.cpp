// Building the main window's widgets, actions, menus and tool bar.
#include "plot/GraphicControls.h"
#include "ui/Icons.h"
#include "ui/widgets/IntEditField.h"
#include "ui/widgets/MaskEditField.h"
#include "ui/widgets/PlotImage.h"
#include "ui/windows/MainWindow.h"

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

void MainWindow::BuildActions()
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
    make(copyAction_, "copyAction", "&Copy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), 0, "Edit");
    make(cutAction_, "cutAction", "Cu&t", "Cut", QKeySequence(Qt::CTRL | Qt::Key_X), 1, "Edit");
    make(deleteAction_, "deleteAction", "&Delete", "", QKeySequence(Qt::Key_Delete), 2, "Edit");
    make(pasteAction_, "pasteAction", "&Paste", "Paste", QKeySequence(Qt::CTRL | Qt::Key_V), 3,
         "Edit");
    make(selectAllAction_, "selectAllAction", "Select &All", "", QKeySequence(), -1, "Edit");
    make(undoAction_, "undoAction", "&Undo", "", QKeySequence(Qt::ALT | Qt::Key_Backspace), 4,
         "Edit");
    make(openAction_, "openAction", "Open spm", "Open SPM file", QKeySequence(Qt::CTRL | Qt::Key_O),
         6, "");
    make(saveAction_, "saveAction", "Save", "Save EXP file", QKeySequence(Qt::CTRL | Qt::Key_S), 5,
         "");
    make(saveAsAction_, "saveAsAction", "Save as", "Save EXP file as", QKeySequence(Qt::Key_F12),
         -1, "");
    make(closeAction_, "closeAction", "Close", "", QKeySequence(), 7, "");
    make(followAction_, "followAction", "Follow file", "Reload the spectrum whenever it is saved",
         QKeySequence(Qt::CTRL | Qt::Key_F), -1, "");
    followAction_->setCheckable(true);
    make(loadHeaderAction_, "loadHeaderAction", "Load header", "",
         QKeySequence(Qt::CTRL | Qt::Key_L), 8, "");
    make(aboutAction_, "aboutAction", "About", "", QKeySequence(), 9, "");
    make(laughAction_, "laughAction", "Laugh!", "", QKeySequence(), -1, "");
    make(saveBitmapAction_, "saveBitmapAction", "Save image as bitmap", "", QKeySequence(), -1, "");
    make(openBitmapAction_, "openBitmapAction", "Open last bitmap", "", QKeySequence(), -1, "");
    make(saveAsciiAction_, "saveAsciiAction", "Save as ASCII", "", QKeySequence(), -1, "");
    make(addSpectraAction_, "addSpectraAction", "Add spectres", "", QKeySequence(), -1, "");
    make(subtractSpectraAction_, "subtractSpectraAction", "Subtract spectres", "", QKeySequence(),
         -1, "");
}

void MainWindow::BuildMenusAndToolBar()
{
    auto menu = [&](QMenu*& slot, const char* name, const QString& title) {
        slot = menuBar()->addMenu(title);
        slot->setObjectName(name);
    };
    menuBar()->setObjectName("menuBar");
    menu(filesMenu_, "filesMenu", "Files");
    filesMenu_->addActions(
        {openAction_, followAction_, saveAction_, saveAsAction_, saveAsciiAction_});
    filesMenu_->addSeparator()->setObjectName("filesSeparator");
    filesMenu_->addAction(closeAction_);
    menu(editMenu_, "editMenu", "Edit");
    editMenu_->addActions(
        {copyAction_, cutAction_, deleteAction_, pasteAction_, selectAllAction_, undoAction_});
    menu(imageMenu_, "imageMenu", "Image");
    imageMenu_->addActions({saveBitmapAction_, openBitmapAction_});
    menu(specialMenu_, "specialMenu", "Special");
    specialMenu_->addActions({addSpectraAction_, subtractSpectraAction_});
    menu(headerMenu_, "headerMenu", "Header");
    headerMenu_->addAction(loadHeaderAction_);
    menu(helpMenu_, "helpMenu", "Help");
    helpMenu_->addActions({laughAction_, aboutAction_});

    toolBar_ = new QToolBar("toolBar", this);
    toolBar_->setObjectName("toolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar_->addActions({openAction_, saveAction_});
    toolBar_->addSeparator();
    toolBar_->addAction(loadHeaderAction_);
    toolBar_->addSeparator();
    toolBar_->addSeparator();
    toolBar_->addActions({copyAction_, cutAction_, pasteAction_});
    toolBar_->addSeparator();
    toolBar_->addActions({deleteAction_, undoAction_});
    toolBar_->addSeparator();
    toolBar_->addAction(aboutAction_);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    for (QToolButton* button : toolBar_->findChildren<QToolButton*>()) {
        button->setFixedWidth(23);
        button->installEventFilter(this); // swallows tool tips
    }

    statusLine_ = statusBar();
    statusLine_->setObjectName("statusLine");
    creditLine_ = new QLabel(
        QStringLiteral("Trevandel " TRV_VERSION "  \u2013  SPM spectra to EXP files"), statusLine_);
    creditLine_->setObjectName("creditLine");
    statusLine_->addWidget(creditLine_, 1);
}

void MainWindow::BuildCentre()
{
    auto* centre = new QWidget(this);
    auto* row = new QHBoxLayout(centre);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    dataGrid_ = new QTableWidget(2 - 1, 2, centre);
    dataGrid_->setObjectName("dataGrid");
    dataGrid_->setHorizontalHeaderLabels({"Channels", "Counts"});
    dataGrid_->verticalHeader()->hide();
    dataGrid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dataGrid_->verticalHeader()->setMinimumSectionSize(16);
    dataGrid_->verticalHeader()->setDefaultSectionSize(16);
    dataGrid_->horizontalHeader()->setHighlightSections(false);
    // The counts column takes what the scroll bar leaves, so no horizontal scrolling is needed.
    dataGrid_->horizontalHeader()->setStretchLastSection(true);
    dataGrid_->setColumnWidth(0, 64);
    dataGrid_->setColumnWidth(1, 120);
    dataGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dataGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    dataGrid_->setWordWrap(false);
    dataGrid_->setAcceptDrops(false);
    dataGrid_->setStyleSheet("QTableWidget::item { padding: 0px 4px; }");

    splitter_ = new QSplitter(Qt::Horizontal, centre);
    splitter_->setObjectName("splitter");
    splitter_->setHandleWidth(3);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(dataGrid_);
    splitter_->addWidget(BuildLeftPanel());
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({193, 600});
    row->addWidget(splitter_, 1);
    row->addWidget(BuildRightPanel());
    setCentralWidget(centre);
}

QWidget* MainWindow::BuildLeftPanel()
{
    leftPanel_ = new QWidget(this);
    leftPanel_->setObjectName("leftPanel");
    auto* column = new QVBoxLayout(leftPanel_);
    column->setContentsMargins(4, 2, 4, 4);
    column->setSpacing(4);
    BuildLoadOptions(leftPanel_);
    BuildSpmInfo(leftPanel_);
    BuildGraphic(leftPanel_);
    column->addWidget(loadOptionsGroup_);
    column->addWidget(spmInfoGroup_);
    column->addWidget(graphicGroup_);

    previewImage_ = new PlotImage(leftPanel_);
    previewImage_->setObjectName("previewImage");
    previewImage_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    previewImage_->setMinimumSize(120, 80);
    column->addWidget(previewImage_, 1);
    return leftPanel_;
}

void MainWindow::BuildLoadOptions(QWidget* parent)
{
    loadOptionsGroup_ = Group("loadOptionsGroup", "Load options", parent);
    auto* grid = new QGridLayout(loadOptionsGroup_);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    showDataBox_ = CheckBox("showDataBox", "Show data", false, loadOptionsGroup_);
    previewBox_ = CheckBox("previewBox", "Preview", true, loadOptionsGroup_);
    guessScaleBox_ = CheckBox("guessScaleBox", "Guess scale", true, loadOptionsGroup_);
    guessExpDataBox_ = CheckBox("guessExpDataBox", "Guess Exp Data", true, loadOptionsGroup_);
    grid->addWidget(showDataBox_, 0, 0);
    grid->addWidget(previewBox_, 1, 0);
    grid->addWidget(guessScaleBox_, 0, 1);
    grid->addWidget(guessExpDataBox_, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnMinimumWidth(0, 100);
}

void MainWindow::BuildSpmInfo(QWidget* parent)
{
    spmInfoGroup_ = Group("spmInfoGroup", "SPM Info", parent);
    auto* grid = new QGridLayout(spmInfoGroup_);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(16);
    spectrumNameLabel_ = InfoLabel("spectrumNameLabel", "-", spmInfoGroup_);
    fileSizeLabel_ = InfoLabel("fileSizeLabel", "-", spmInfoGroup_);
    channelCountLabel_ = InfoLabel("channelCountLabel", "", spmInfoGroup_);
    firstStampLabel_ = InfoLabel("firstStampLabel", "-", spmInfoGroup_);
    secondStampLabel_ = InfoLabel("secondStampLabel", "-", spmInfoGroup_);
    spmModeLabel_ = InfoLabel("spmModeLabel", "-", spmInfoGroup_);
    QFont bold = spectrumNameLabel_->font();
    bold.setBold(true);
    spectrumNameLabel_->setFont(bold);
    grid->addWidget(spectrumNameLabel_, 0, 0, 1, 3);
    grid->addWidget(fileSizeLabel_, 1, 0);
    grid->addWidget(channelCountLabel_, 1, 1);
    grid->addWidget(firstStampLabel_, 2, 0, 1, 3);
    grid->addWidget(secondStampLabel_, 3, 0, 1, 3);
    grid->addWidget(spmModeLabel_, 4, 0, 1, 3);
    grid->setColumnMinimumWidth(0, 96);
    grid->setColumnStretch(2, 1);
}

void MainWindow::BuildGraphic(QWidget* parent)
{
    graphicGroup_ = Group("graphicGroup", "Graphic", parent);
    auto* grid = new QGridLayout(graphicGroup_);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(12);
    auto spin = [&](QLineEdit*& edit, UpDown*& arrows, const char* editName, const char* upDownName,
                    SpinRange range, int initial, int width) {
        auto* field =
            new IntEditField(editName, upDownName, range.Min, range.Max, initial, graphicGroup_);
        edit = field->Edit();
        arrows = field->Arrows();
        field->setFixedWidth(width + 15);
        return field;
    };
    // The controls start at the plot's default settings.
    const PlotSettings initial;
    QWidget* left = spin(plotIgnoreLeftEdit_, plotIgnoreLeftSpin_, "plotIgnoreLeftEdit",
                         "plotIgnoreLeftSpin", kIgnoreRange, initial.IgnoreFromLeft, 91);
    QWidget* right = spin(plotIgnoreRightEdit_, plotIgnoreRightSpin_, "plotIgnoreRightEdit",
                          "plotIgnoreRightSpin", kIgnoreRange, initial.IgnoreFromRight, 89);
    QWidget* scale =
        spin(scaleEdit_, scaleSpin_, "scaleEdit", "scaleSpin", kScaleRange, initial.Scale, 91);
    QWidget* fold = spin(plotFoldEdit_, plotFoldSpin_, "plotFoldEdit", "plotFoldSpin", kFoldRange,
                         initial.FoldChannel, 91);
    QWidget* mean = spin(meanWidthEdit_, meanWidthSpin_, "meanWidthEdit", "meanWidthSpin",
                         kMeanWidthRange, initial.MeanWidth, 33);
    plotIgnoreLeftLabel_ = Caption("Ignore from &Left", graphicGroup_, plotIgnoreLeftEdit_);
    plotIgnoreLeftLabel_->setObjectName("plotIgnoreLeftLabel");
    plotIgnoreRightLabel_ = Caption("Ignore from &Right", graphicGroup_, plotIgnoreRightEdit_);
    plotIgnoreRightLabel_->setObjectName("plotIgnoreRightLabel");
    scaleLabel_ = Caption("Scal&e (1/10%)", graphicGroup_, scaleEdit_);
    scaleLabel_->setObjectName("scaleLabel");
    plotFoldLabel_ = Caption("&Folding channel", graphicGroup_, plotFoldEdit_);
    plotFoldLabel_->setObjectName("plotFoldLabel");
    foldedBox_ = CheckBox("foldedBox", "F&olded", initial.Folded, graphicGroup_);
    errorLinesBox_ =
        CheckBox("errorLinesBox", "Dr&aw Errorlines", initial.DrawErrorLines, graphicGroup_);
    drawMeanBox_ = CheckBox("drawMeanBox", "Draw mea&n", initial.DrawMean, graphicGroup_);
    previewButton_ = new QPushButton("Preview", graphicGroup_);
    previewButton_->setObjectName("previewButton");
    viewButton_ = new QPushButton("&View", graphicGroup_);
    viewButton_->setObjectName("viewButton");
    for (QPushButton* b : {previewButton_, viewButton_})
        b->setAutoDefault(false);

    auto* meanRow = new QHBoxLayout;
    meanRow->setSpacing(6);
    meanRow->addWidget(drawMeanBox_);
    meanRow->addWidget(mean);
    meanRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(previewButton_);
    buttons->addWidget(viewButton_);
    buttons->addStretch(1);

    grid->addWidget(plotIgnoreLeftLabel_, 0, 0);
    grid->addWidget(plotIgnoreRightLabel_, 0, 1);
    grid->addWidget(left, 1, 0);
    grid->addWidget(right, 1, 1);
    grid->addWidget(scaleLabel_, 2, 0);
    grid->addWidget(foldedBox_, 2, 1);
    grid->addWidget(scale, 3, 0);
    grid->addWidget(errorLinesBox_, 3, 1);
    grid->addWidget(plotFoldLabel_, 4, 0);
    grid->addLayout(meanRow, 4, 1);
    grid->addWidget(fold, 5, 0);
    grid->addLayout(buttons, 5, 1);
    grid->setColumnStretch(2, 1);
}

QWidget* MainWindow::BuildRightPanel()
{
    rightPanel_ = new QWidget(this);
    rightPanel_->setObjectName("rightPanel");
    auto* column = new QVBoxLayout(rightPanel_);
    column->setContentsMargins(2, 2, 4, 4);
    column->setSpacing(4);
    BuildExpData(rightPanel_);
    BuildExpHeader(rightPanel_);
    BuildSaveOptions(rightPanel_);
    BuildMeasurement(rightPanel_);
    column->addWidget(expDataGroup_);
    column->addWidget(expHeaderGroup_);
    column->addWidget(saveOptionsGroup_);
    column->addWidget(measurementGroup_);
    column->addStretch(1);
    // 328 pixels wide, unless the captions of this font need a little more.
    rightPanel_->setFixedWidth(std::max(328, column->minimumSize().width()));
    return rightPanel_;
}

void MainWindow::BuildExpData(QWidget* parent)
{
    expDataGroup_ = Group("expDataGroup", "Exp Data", parent);
    auto* grid = new QGridLayout(expDataGroup_);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(1);
    descriptionEdit_ = new QLineEdit(expDataGroup_);
    descriptionEdit_->setObjectName("descriptionEdit");
    descriptionEdit_->setMaxLength(kDescriptionMaxLength);
    descriptionEdit_->setAcceptDrops(false);
    serialEdit_ = MaskField("serialEdit", kSerialMask, "H       ", expDataGroup_);
    bFieldEdit_ = MaskField("bFieldEdit", kBFieldMask, " . T", expDataGroup_);
    temperatureEdit_ = MaskField("temperatureEdit", kTemperatureMask, "    K", expDataGroup_);
    grid->addWidget(Caption("Description", expDataGroup_, descriptionEdit_), 0, 0, 1, 3);
    grid->addWidget(descriptionEdit_, 1, 0, 1, 3);
    grid->addWidget(Caption("Serial #", expDataGroup_, serialEdit_), 2, 0);
    grid->addWidget(Caption("B-field", expDataGroup_, bFieldEdit_), 2, 1);
    grid->addWidget(Caption("Temperature", expDataGroup_, temperatureEdit_), 2, 2);
    grid->addWidget(serialEdit_, 3, 0);
    grid->addWidget(bFieldEdit_, 3, 1);
    grid->addWidget(temperatureEdit_, 3, 2);
}

void MainWindow::BuildExpHeader(QWidget* parent)
{
    expHeaderGroup_ = Group("expHeaderGroup", "Exp Header", parent);
    auto* grid = new QGridLayout(expHeaderGroup_);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(6);
    auto intField = [&](QLineEdit*& edit, UpDown*& arrows, const char* editName,
                        const char* upDownName, int max, int initial) {
        auto* field = new IntEditField(editName, upDownName, 0, max, initial, expHeaderGroup_);
        edit = field->Edit();
        arrows = field->Arrows();
        return field;
    };
    QWidget* channels =
        intField(channelsEdit_, channelsSpin_, "channelsEdit", "channelsSpin", 1000, 512);
    QWidget* ignoreLeft =
        intField(ignoreLeftEdit_, ignoreLeftSpin_, "ignoreLeftEdit", "ignoreLeftSpin", 1000, 9);
    QWidget* ignoreRight = intField(ignoreRightEdit_, ignoreRightSpin_, "ignoreRightEdit",
                                    "ignoreRightSpin", 1000, 245);
    QWidget* millions = intField(countsMillionsEdit_, countsMillionsSpin_, "countsMillionsEdit",
                                 "countsMillionsSpin", 100, 0);
    foldingChannelEdit_ =
        MaskField("foldingChannelEdit", kFolding512Mask, "512.0000", expHeaderGroup_);
    zeroSpeedEdit_ = MaskField("zeroSpeedEdit", kZeroSpeedMask, "128.00", expHeaderGroup_);
    calibrationEdit_ = MaskField("calibrationEdit", kCalibrationMask, "0.09135", expHeaderGroup_);
    columnsEdit_ = new QLineEdit("08", expHeaderGroup_);
    columnsEdit_->setObjectName("columnsEdit");
    columnsEdit_->setReadOnly(true);
    columnsEdit_->setAcceptDrops(false);
    extra1Edit_ = MaskField("extra1Edit", kExtraShortMask, "000.00", expHeaderGroup_);
    extra2Edit_ = MaskField("extra2Edit", kExtraLongMask, "0.00000", expHeaderGroup_);
    extra3Edit_ = MaskField("extra3Edit", kExtraShortMask, "000.00", expHeaderGroup_);
    extra4Edit_ = MaskField("extra4Edit", kExtraLongMask, "0.00000", expHeaderGroup_);

    struct Cell {
        const char* caption;
        QWidget* field;
        QWidget* buddy;
    };
    const Cell cells[3][4] = {
        {{"# Channels", channels, channelsEdit_},
         {"Ignore left", ignoreLeft, ignoreLeftEdit_},
         {"Ignore right", ignoreRight, ignoreRightEdit_},
         {"2xFolding channel", foldingChannelEdit_, foldingChannelEdit_}},
        {{"# counts (10^6)", millions, countsMillionsEdit_},
         {"Zero speed Channel", zeroSpeedEdit_, zeroSpeedEdit_},
         {"Calibration constant", calibrationEdit_, calibrationEdit_},
         {"Columns", columnsEdit_, columnsEdit_}},
        {{"???", extra1Edit_, extra1Edit_},
         {"???", extra2Edit_, extra2Edit_},
         {"???", extra3Edit_, extra3Edit_},
         {"???", extra4Edit_, extra4Edit_}},
    };
    for (int col = 0; col < 3; ++col) {
        for (int r = 0; r < 4; ++r) {
            const Cell& c = cells[col][r];
            grid->addWidget(Caption(c.caption, expHeaderGroup_, c.buddy), 2 * r, col);
            grid->addWidget(c.field, 2 * r + 1, col);
        }
    }
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
}

void MainWindow::BuildSaveOptions(QWidget* parent)
{
    saveOptionsGroup_ = Group("saveOptionsGroup", "Save options", parent);
    auto* column = new QVBoxLayout(saveOptionsGroup_);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(1);
    saveAsModeCombo_ = new QComboBox(saveOptionsGroup_);
    saveAsModeCombo_->setObjectName("saveAsModeCombo");
    saveAsModeCombo_->setEditable(false);
    saveAsModeCombo_->addItems({"1024 Channels", "512 Channels (add)", "512 Channels (mean)"});
    saveAsModeCombo_->setCurrentIndex(-1);
    saveAsModeLabel_ = Caption("Save as (&Channels)", saveOptionsGroup_, saveAsModeCombo_);
    saveAsModeLabel_->setObjectName("saveAsModeLabel");
    column->addWidget(saveAsModeLabel_);
    column->addWidget(saveAsModeCombo_);
}

void MainWindow::SetTabOrder()
{
    setTabOrder(descriptionEdit_, serialEdit_);
    setTabOrder(serialEdit_, bFieldEdit_);
    setTabOrder(bFieldEdit_, temperatureEdit_);
    setTabOrder(temperatureEdit_, channelsEdit_);
    setTabOrder(channelsEdit_, ignoreLeftEdit_);
    setTabOrder(ignoreLeftEdit_, ignoreRightEdit_);
    setTabOrder(ignoreRightEdit_, foldingChannelEdit_);
    setTabOrder(foldingChannelEdit_, countsMillionsEdit_);
    setTabOrder(countsMillionsEdit_, zeroSpeedEdit_);
    setTabOrder(zeroSpeedEdit_, calibrationEdit_);
    setTabOrder(calibrationEdit_, columnsEdit_);
    setTabOrder(columnsEdit_, extra1Edit_);
    setTabOrder(extra1Edit_, extra2Edit_);
    setTabOrder(extra2Edit_, extra3Edit_);
    setTabOrder(extra3Edit_, extra4Edit_);
    setTabOrder(extra4Edit_, saveAsModeCombo_);
}

} // namespace trv
