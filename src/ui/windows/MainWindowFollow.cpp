// Following a measurement while it runs: the opened spectrum file is read again whenever its
// writer saves a complete new version, and the measurement's progress is shown.
#include "follow/FileFollower.h"
#include "follow/Progress.h"
#include "platform/AppError.h"
#include "platform/SettingsStore.h"
#include "ui/TextConvert.h"
#include "ui/widgets/IntEditField.h"
#include "ui/windows/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

namespace trv {

namespace {

constexpr const char* kFollowValue = "FollowFile";
constexpr const char* kTargetNoiseValue = "TargetNoisePercent";

double NowSeconds()
{
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

} // namespace

void MainWindow::BuildMeasurement(QWidget* parent)
{
    measurementGroup_ = new QGroupBox("Measurement", parent);
    measurementGroup_->setObjectName("measurementGroup");
    measurementGroup_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* form = new QFormLayout(measurementGroup_);
    form->setContentsMargins(8, 4, 8, 6);
    form->setVerticalSpacing(2);
    progressLabel_ = new QLabel("-", measurementGroup_);
    progressLabel_->setObjectName("progressLabel");
    progressLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    targetNoiseEdit_ = new QLineEdit(measurementGroup_);
    targetNoiseEdit_->setObjectName("targetNoiseEdit");
    targetNoiseEdit_->setMaximumWidth(80);
    targetNoiseEdit_->setText("0.1");
    auto* target = new QLabel("&Target noise (%)", measurementGroup_);
    target->setBuddy(targetNoiseEdit_);
    form->addRow(progressLabel_);
    form->addRow(target, targetNoiseEdit_);
    connect(targetNoiseEdit_, &QLineEdit::textChanged, this, [this] {
        ShowProgress();
        RememberFollowSettings();
    });
}

void MainWindow::SetUpFollowing()
{
    follower_ = new FileFollower(locale_, kFileFollowTiming, this);
    followStatus_ = new QLabel(statusLine_);
    followStatus_->setObjectName("followStatus");
    statusLine_->addPermanentWidget(followStatus_);
    connect(follower_, &FileFollower::NewVersion, this,
            [this](const SpmSpectrum& spectrum) { Guard([&] { ReloadSpectrum(spectrum); }); });
    connect(follower_, &FileFollower::AwaitingCompleteVersion, this,
            [this] { ShowFollowStatus(FollowState::Awaiting); });
    connect(follower_, &FileFollower::CompleteAgain, this,
            [this] { ShowFollowStatus(FollowState::Following); });
    connect(follower_, &FileFollower::Failed, this, [this](const std::string& message) {
        followProblem_ = Latin1(EscapeControlBytes(message));
        ShowFollowStatus(FollowState::Failed);
    });
    connect(follower_, &FileFollower::PollingChanged, this,
            [this] { ShowFollowStatus(FollowState::Following); });
    connect(followAction_, &QAction::toggled, this, [this](bool on) {
        Guard([&] { SetFollowing(on); });
        RememberFollowSettings();
    });

    // The choices of the last run; taking them over stores nothing.
    loadingFollowSettings_ = true;
    try {
        if (store_->OpenKeyReadOnly(kProgramSettingsKey)) {
            const std::string follow = store_->ReadString(kFollowValue);
            const std::string target = store_->ReadString(kTargetNoiseValue);
            store_->CloseKey();
            if (!target.empty()) targetNoiseEdit_->setText(Latin1(target));
            followAction_->setChecked(follow == "1");
        }
    }
    catch (const AppError&) {
        // A damaged store starts with following off and the default target.
    }
    if (store_->HasOpenKey()) store_->CloseKey();
    loadingFollowSettings_ = false;
}

void MainWindow::RememberFollowSettings()
{
    if (loadingFollowSettings_) return;
    try {
        if (store_->OpenKey(kProgramSettingsKey, true)) {
            store_->WriteString(kFollowValue, followAction_->isChecked() ? "1" : "0");
            store_->WriteString(kTargetNoiseValue, Latin1Bytes(targetNoiseEdit_->text()));
            store_->CloseKey();
        }
    }
    catch (const AppError&) {
        // Not remembered: the choice still holds for this run.
    }
    if (store_->HasOpenKey()) store_->CloseKey();
}

void MainWindow::SetFollowing(bool on)
{
    if (!on || openedPath_.isEmpty()) {
        follower_->Stop();
        ShowFollowStatus(FollowState::Off);
        return;
    }
    follower_->Follow(PathBytes(openedPath_));
    ShowFollowStatus(FollowState::Following);
}

void MainWindow::FollowOpenedFile(const QString& path)
{
    openedPath_ = path;
    history_.clear();
    RecordObservation(history_, {NowSeconds(), CurrentProgress().totalCounts});
    ShowProgress();
    if (followAction_->isChecked()) SetFollowing(true);
}

void MainWindow::StopFollowing()
{
    // The spectrum is no longer the file's (a combine replaced it).
    openedPath_.clear();
    history_.clear();
    follower_->Stop();
    ShowFollowStatus(FollowState::Off);
    ShowProgress();
}

void MainWindow::ReloadSpectrum(const SpmSpectrum& spectrum)
{
    // What the file says, its counts, the grid and the preview as last drawn; the header the
    // user typed, the mode and the Graphic controls stay as they are.
    const auto captions = SpmInfoCaptions(spectrum.info, locale_);
    spmMode_ = spectrum.info.Mode;
    shownInfo_ = spectrum.info;
    SetSpectrum(spectrum.counts, spectrum.info.ChannelCount);
    fileSizeLabel_->setText(Latin1(captions[1]));
    channelCountLabel_->setText(Latin1(captions[2]));
    firstStampLabel_->setText(Latin1(captions[3]));
    secondStampLabel_->setText(Latin1(captions[4]));
    spmModeLabel_->setText(Latin1(captions[5]));
    if (previewBox_->isChecked()) RedrawPreview();
    if (showDataBox_->isChecked()) FillDataGrid();
    RecordObservation(history_, {NowSeconds(), CurrentProgress().totalCounts});
    ShowProgress();
    ShowFollowStatus(FollowState::Following);
}

MeasurementProgress MainWindow::CurrentProgress() const
{
    SpmSpectrum shown;
    shown.info = shownInfo_;
    shown.counts = counts_;
    return ProgressOf(shown);
}

void MainWindow::ShowProgress()
{
    if (counts_.empty()) {
        progressLabel_->setText("-");
        return;
    }
    const MeasurementProgress progress = CurrentProgress();
    double target = kDefaultTargetNoise;
    bool ok = false;
    const double percent = targetNoiseEdit_->text().trimmed().toDouble(&ok);
    if (ok && percent > 0.0 && percent < 100.0) target = percent / 100.0;
    const std::optional<double> remaining = SecondsToTargetNoise(progress, history_, target);
    progressLabel_->setText(
        Latin1(FormatProgress(progress, remaining, target, locale_.decimalSeparator)));
}

void MainWindow::ShowFollowStatus(FollowState state)
{
    const QString name = spectrumNameLabel_->text();
    QString text;
    switch (state) {
    case FollowState::Off:
        break;
    case FollowState::Following:
        text = follower_->IsPolling()
                   ? QString("Following %1 (a network share: checked every 1.5 s)").arg(name)
                   : QString("Following %1").arg(name);
        break;
    case FollowState::Awaiting:
        text = QString::fromUtf8("Following %1: a new version is being written\u2026").arg(name);
        break;
    case FollowState::Failed:
        text = QString("Following %1: %2").arg(name, followProblem_);
        break;
    }
    followStatus_->setText(text);
}

} // namespace trv
