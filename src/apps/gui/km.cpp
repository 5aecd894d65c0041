#include "gui/km.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <vector>

#include "gui/dialogs.h"
#include "gui/form_waiting.h"
#include "gui/interface_translation.h"
#include "gui/memo_lines.h"
#include "gui/radio_group.h"
#include "gui/text_bytes.h"
#include "localisation/lang_text.h"
#include "shell/creation_run.h"
#include "shell/startup.h"
#include "shell/window_limits.h"

namespace kelmora {
namespace {

constexpr int kClientWidth = 676;
constexpr int kClientHeight = 468;
constexpr int kCaptionTimerMs = 100;
const char kCaption[] = "Kel Mora 2.0 - Freeware Image Gallery Creator";
const char kSettingsFilter[] = "KM2 Settingsfiles (*.km2)";

QString Q(const std::string& bytes) {
  return TextFromBytes(bytes);
}
std::string B(const QString& text) {
  return BytesFromText(text);
}
QString LangText(MessageKey key) {
  return Q(GetLangText(key));
}
QString LangText(MessageKey key, std::initializer_list<FormatArg> args) {
  return Q(GetLangText(key, args));
}
std::string PathBytes(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

std::vector<std::string> LinesOf(const QPlainTextEdit* memo) {
  std::vector<std::string> lines;
  for (const QString& line : MemoLines(memo)) lines.push_back(B(line));
  return lines;
}

void ShowLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << Q(line);
  SetMemoLines(memo, text);
}

// The file name without its last extension.
std::string WithoutExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

// The window's side of a creation run. Every call comes on the GUI thread (see run_host.h).
// Errors that arrive while the progress window shows wait until it is hidden.
class TKM::Host final : public BatchHost {
 public:
  explicit Host(TKM& km) : km_(km) {}

  void ShowError(const std::string& text) override { Report(QStringLiteral("KM"), Q(text)); }
  void ShowException(const std::string& text) override {
    Report(QStringLiteral("Kelmora"), Q(text));
  }
  bool Ask(const std::string& text, Question kind) override {
    return km_.dialogs_.AskOkCancel(
        &km_, QStringLiteral("KM"), Q(text),
        kind == Question::kCreateOutputFolder ? MessageIcon::kQuestion : MessageIcon::kWarning);
  }
  void ShowProgress(int maximum) override {
    TFormWaiting* waiting = km_.FormWaiting;
    if (!waiting) return;
    waiting->ProgressBar1->setMaximum(maximum);
    waiting->ProgressBar1->setValue(0);
    waiting->show();  // clears its cancel request
    progress_shown_ = true;
  }
  void UpdateProgress(int position, const std::string& label) override {
    if (!km_.FormWaiting) return;
    km_.FormWaiting->LabelImageXofY->setText(Q(label));
    km_.FormWaiting->ProgressBar1->setValue(position);
  }
  bool ProcessMessagesAndCancelRequested() override {
    QCoreApplication::processEvents();
    return km_.close_requested_during_run_ || (km_.FormWaiting && km_.FormWaiting->CancelRequested);
  }
  void HideProgress() override {
    if (km_.FormWaiting) {
      km_.FormWaiting->CancelRequested = false;
      km_.FormWaiting->hide();
    }
    progress_shown_ = false;
    for (const auto& [caption, text] : pending_) ShowNow(caption, text);
    pending_.clear();
  }
  void SetBusy(bool busy) override {
    if (busy) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  void OpenDocument(const std::string& path) override {
    km_.dialogs_.OpenUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())).toString());
  }
  void ShowHelp(const std::string& text) override {
    km_.dialogs_.ShowMessage(&km_, QStringLiteral("KM"), Q(text), MessageIcon::kInformation);
  }
  void ShowUsageError(const std::string& text) override { ShowError(text); }
  // The batch record passes through the controls, as the window's own runs do.
  void BatchSettingsReady(KM_Class&) override {
    km_.SettingsToControls();
    km_.ControlsToSettings();
  }

 private:
  void Report(const QString& caption, const QString& text) {
    if (progress_shown_) {
      pending_.emplace_back(caption, text);
    } else {
      ShowNow(caption, text);
    }
  }
  void ShowNow(const QString& caption, const QString& text) {
    // The busy cursor must not hide the box's buttons.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    km_.dialogs_.ShowMessage(&km_, caption, text, MessageIcon::kError);
    QApplication::restoreOverrideCursor();
  }

  TKM& km_;
  bool progress_shown_ = false;
  std::vector<std::pair<QString, QString>> pending_;
};

TKM::TKM(Dialogs& dialogs, std::vector<std::string> params, ProgramFolders program_folder)
    : Form(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ProgramFolder(std::move(program_folder)),
      input_folder_browser(dialogs),
      output_folder_browser(dialogs),
      additional_folder_browser(dialogs),
      dialogs_(dialogs),
      params_(std::move(params)) {
  setObjectName(QStringLiteral("KM"));
  setWindowTitle(QString::fromLatin1(kCaption));
  // The dialog font of the window's design, small enough for its 676 x 468 client area.
  QFont window_font = font();
  window_font.setPointSize(8);
  setFont(window_font);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  PageControl1 = Register(new QTabWidget(this), "PageControl1");
  layout->addWidget(PageControl1);
  CreateFilesAndFoldersTab();
  CreateThumbnailsTab();
  CreateMoreLayoutTab();
  CreateHtmlTab();
  CreateCreateTab();
  CreateInformationTab();
  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kCaptionTimerMs);
  ConnectHandlers();
  FitWindowSize();
  Timer1->start();
}

TKM::~TKM() {
  FormDestroy();
}

void TKM::FormDestroy() {
  // The gallery builder goes before the settings record it reads; the rest are members.
  list.reset();
}

void TKM::FitWindowSize() {
  // The planned client area, or the smallest that shows every control unclipped.
  const QSize needed = layout()->totalMinimumSize();
  setFixedSize(std::max({kClientWidth, needed.width(), width() * int{fixed_size_}}),
               std::max({kClientHeight, needed.height(), height() * int{fixed_size_}}));
  fixed_size_ = true;
}

void TKM::ConnectHandlers() {
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
    if (index != current_tab_) PageControl1Change();
    current_tab_ = index;
  });
  connect(ButtonLoadSettings, &QPushButton::clicked, this, &TKM::ButtonLoadSettingsClick);
  connect(ButtonSaveSettings, &QPushButton::clicked, this, &TKM::ButtonSaveSettingsClick);
  connect(ButtonSaveDefault, &QPushButton::clicked, this, &TKM::ButtonSaveDefaultClick);
  connect(Button4, &QPushButton::clicked, this, &TKM::Button4Click);
  connect(outComboBoxLanguage, &QComboBox::currentIndexChanged, this,
          &TKM::outComboBoxLanguageChange);
  connect(ButtonImportDirectory, &QPushButton::clicked, this, &TKM::ButtonImportDirectoryClick);
  connect(ButtonExportDirectory, &QPushButton::clicked, this, &TKM::ButtonExportDirectoryClick);
  connect(ButtonAdditionalDirectory, &QPushButton::clicked, this,
          &TKM::ButtonAdditionalDirectoryClick);
  connect(TrackBarImageQuality, &QSlider::valueChanged, this, &TKM::TrackBarImageQualityChange);
  connect(TrackBarThumbQuality, &QSlider::valueChanged, this, &TKM::TrackBarThumbQualityChange);
  connect(RadioButton120, &QRadioButton::clicked, this, &TKM::RadioButton120Click);
  connect(RadioButton140, &QRadioButton::clicked, this, &TKM::RadioButton140Click);
  connect(RadioButton160, &QRadioButton::clicked, this, &TKM::RadioButton160Click);
  connect(SortMode, &RadioGroup::ItemIndexChanged, this, &TKM::SortModeClick);
  connect(ButtonBGColor, &QPushButton::clicked, this, &TKM::ButtonBGColorClick);
  connect(ButtonTextColor, &QPushButton::clicked, this, &TKM::ButtonTextColorClick);
  connect(ButtonLinkColor, &QPushButton::clicked, this, &TKM::ButtonLinkColorClick);
  connect(ButtonVisitedColor, &QPushButton::clicked, this, &TKM::ButtonVisitedColorClick);
  connect(outStringGridMacros1, &QTableWidget::cellDoubleClicked, this,
          &TKM::outStringGridMacros1DblClick);
  connect(outStringGridMacros2, &QTableWidget::cellDoubleClicked, this,
          &TKM::outStringGridMacros2DblClick);
  connect(ButtonDoCreate, &QPushButton::clicked, this, &TKM::ButtonDoCreateClick);
  connect(ButtonClearOutputFolder, &QPushButton::clicked, this, &TKM::ButtonClearOutputFolderClick);
  connect(ButtonBrowserDisplay, &QPushButton::clicked, this, &TKM::ButtonBrowserDisplayClick);
  connect(ButtonQuit, &QPushButton::clicked, this, &TKM::ButtonQuitClick);
  connect(Timer1, &QTimer::timeout, this, &TKM::Timer1Timer);

  // Any key in these eleven text controls counts as a change, arrow keys included.
  for (QWidget* edit : std::initializer_list<QWidget*>{
           outEditAdditional, outEditThumbSitesName, outEditImageSitesName, outMaskEditMaxWidth,
           outMaskEditMaxHeight, outMaskEditUserSize, outEditTitle, outEditCols, outEditRows,
           outMemoHTMLThumbnails, outMemoHTMLImages}) {
    edit->installEventFilter(this);
  }
  // The eight controls that share SetChanged. Check boxes and the radio group also report
  // changes that SettingsToControls makes; the two lists only the user's choices.
  connect(outComboBoxHTMLExtension, &QComboBox::activated, this, &TKM::SetChanged);
  connect(CheckBoxConvertFilenames, &QCheckBox::toggled, this, &TKM::SetChanged);
  connect(outComboBoxFilter, &QComboBox::activated, this, &TKM::SetChanged);
  connect(CheckBoxExif, &QCheckBox::toggled, this, &TKM::SetChanged);
  connect(CheckBoxCopyOrgSizedImages, &QCheckBox::toggled, this, &TKM::SetChanged);
  connect(CheckBoxAutoRotate, &QCheckBox::toggled, this, &TKM::SetChanged);
  connect(CheckBoxStripLocation, &QCheckBox::toggled, this, &TKM::SetChanged);
  connect(RadioGroupThumbsSubtitle, &RadioGroup::ItemIndexChanged, this, &TKM::SetChanged);
  LabelHomepageLink->installEventFilter(this);
}

bool TKM::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched != LabelHomepageLink) {
    outMemoHTMLThumbnailsKeyDown();
  } else if (watched == LabelHomepageLink && event->type() == QEvent::MouseButtonRelease) {
    LabelHomepageLinkClick();
    return true;
  }
  return Form::eventFilter(watched, event);
}

void TKM::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormShow();
  if (!params_.empty()) QTimer::singleShot(0, this, &TKM::RunCommandLineBatch);
}

void TKM::FormShow() {
  if (started_) return;
  started_ = true;
  BatchMode = false;
  for (TFolderBrowser* browser :
       {&input_folder_browser, &output_folder_browser, &additional_folder_browser}) {
    browser->Options = TFolderBrowser::kFileSystemFoldersOnly | TFolderBrowser::kNewDialogStyle;
  }
  FillingLanguages = false;
  LanguageFile = ReadLanguageChoice(ProgramFolder);
  LoadLanguage();
  FillLanguageList();
  LoadDefaultSettings(Settings, ProgramFolder);
  SettingsToControls();
  FillMacroGrids();
  list = std::make_unique<KM_List>(Settings, metadata_reader_);
  Changed = false;
  Timer1Timer();
}

void TKM::RunCommandLineBatch() {
  BatchMode = true;
  running_ = true;
  PageControl1->setEnabled(false);
  Host host(*this);
  BatchResult result = BatchResult::kFailed;
  try {
    result = RunBatch(params_, Settings, *list, host, CreationRunOptions{});
  } catch (const std::exception& error) {
    host.ShowException(error.what());
  }
  PageControl1->setEnabled(true);
  running_ = false;
  exit_status_ = BatchExitStatus(result);
  ButtonQuitClick();
}

bool TKM::FormCloseQuery() {
  if (!Changed || BatchMode) return true;
  switch (
      dialogs_.AskYesNoCancel(this, QStringLiteral("KM"), LangText(MessageKey::WorkNotSavedYet))) {
    case Answer::kCancel:
      return false;
    case Answer::kNo:
      return true;
    case Answer::kYes:
      ButtonSaveSettingsClick();
      return !Changed;
  }
  return false;
}

void TKM::closeEvent(QCloseEvent* event) {
  if (running_) {
    // Closing during a run asks the run to stop before the next image; the window closes
    // once it has.
    close_requested_during_run_ = true;
    if (FormWaiting) FormWaiting->CancelRequested = true;
    event->ignore();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  if (FormWaiting) FormWaiting->hide();
  event->accept();
}

void TKM::PageControl1Change() {
  if (!ControlsToSettings()) return;
  SettingsToControls();
}

void TKM::ShowError(const QString& caption, const QString& text) {
  dialogs_.ShowMessage(this, caption, text, MessageIcon::kError);
}

void TKM::SettingsToControls() {
  // The controls hold what the window limits allow (one table for the window and the batch).
  KM_Class shown = Settings;
  ApplyWindowLimits(shown);
  outEditSource->setText(Q(shown.InputPath));
  outEditDesti->setText(Q(shown.OutputPath));
  outEditAdditional->setText(Q(shown.AdditionalPath));
  outEditThumbSitesName->setText(Q(shown.ThumbPagesName));
  outEditImageSitesName->setText(Q(shown.ImagePagesName));
  const QString extension = Q(shown.WebSiteExtension);
  const int extension_index = outComboBoxHTMLExtension->findText(extension, Qt::MatchFixedString);
  outComboBoxHTMLExtension->setCurrentIndex(extension_index);
  // Another extension stays as typed.
  if (extension_index < 0) outComboBoxHTMLExtension->setEditText(extension);
  CheckBoxConvertFilenames->setChecked(shown.ConvertFileNames);
  TrackBarImageQuality->setValue(shown.QualityImages);
  outMaskEditMaxWidth->setText(QString::number(shown.MaxWidthImage));
  outMaskEditMaxHeight->setText(QString::number(shown.MaxHeightImage));
  outComboBoxFilter->setCurrentIndex(shown.FilterIndex);
  TrackBarThumbQuality->setValue(shown.QualityThumbnails);
  outMaskEditUserSize->setText(QString::number(shown.MaxSizeThumbnails));
  SortMode->SetItemIndex(static_cast<int>(shown.SortingMethodIndex));
  CheckBoxExif->setChecked(shown.UseExif);
  CheckBoxCopyOrgSizedImages->setChecked(shown.CopyOrgSizedImages);
  CheckBoxAutoRotate->setChecked(shown.AutoRotate);
  CheckBoxStripLocation->setChecked(shown.StripLocation);
  SetSwatchColor(outEditBGColor, shown.BackgroundColor);
  SetSwatchColor(outEditTextColor, shown.TextColor);
  SetSwatchColor(outEditLinkColor, shown.LinkColor);
  SetSwatchColor(outEditVisitedLinkColor, shown.VisitedLinkColor);
  outEditCols->setText(QString::number(shown.ColsCount));
  outEditRows->setText(QString::number(shown.RowsCount));
  outEditTitle->setText(Q(shown.Title));
  RadioGroupThumbsSubtitle->SetItemIndex(static_cast<int>(shown.SubtitleIndex));
  UpdateColorPreview();
  ShowLines(outMemoHTMLThumbnails, shown.HTMLThumbnails);
  ShowLines(outMemoHTMLImages, shown.HTMLImages);
  CheckBoxAutoBrowserStart->setChecked(shown.AutoBrowserStart);
}

bool TKM::ControlsToSettings() {
  const auto read_integer = [this](const QLineEdit* edit, int32_t& field) {
    const std::optional<int32_t> value = StrToIntStrict(B(edit->text()));
    if (!value) {
      ShowError(QStringLiteral("Kelmora"),
                QStringLiteral("'%1' is not a valid integer value").arg(edit->text()));
      return false;
    }
    field = *value;
    return true;
  };
  Settings.InputPath = B(outEditSource->text());
  Settings.OutputPath = B(outEditDesti->text());
  Settings.AdditionalPath = B(outEditAdditional->text());
  Settings.ThumbPagesName = B(outEditThumbSitesName->text());
  Settings.ImagePagesName = B(outEditImageSitesName->text());
  Settings.WebSiteExtension = B(outComboBoxHTMLExtension->currentText());
  Settings.ConvertFileNames = CheckBoxConvertFilenames->isChecked();
  Settings.LockInputPath = CheckBoxLockInput->isChecked();
  Settings.LockOutputPath = CheckBoxLockOutput->isChecked();
  Settings.QualityImages = TrackBarImageQuality->value();
  if (!read_integer(outMaskEditMaxWidth, Settings.MaxWidthImage)) return false;
  if (!read_integer(outMaskEditMaxHeight, Settings.MaxHeightImage)) return false;
  Settings.FilterIndex = outComboBoxFilter->currentIndex();
  Settings.QualityThumbnails = TrackBarThumbQuality->value();
  if (!read_integer(outMaskEditUserSize, Settings.MaxSizeThumbnails)) return false;
  Settings.SortingMethodIndex = static_cast<SortMethod>(SortMode->ItemIndex());
  Settings.UseExif = CheckBoxExif->isChecked();
  Settings.CopyOrgSizedImages = CheckBoxCopyOrgSizedImages->isChecked();
  Settings.AutoRotate = CheckBoxAutoRotate->isChecked();
  Settings.StripLocation = CheckBoxStripLocation->isChecked();
  Settings.BackgroundColor = SwatchColor(outEditBGColor);
  Settings.TextColor = SwatchColor(outEditTextColor);
  Settings.LinkColor = SwatchColor(outEditLinkColor);
  Settings.VisitedLinkColor = SwatchColor(outEditVisitedLinkColor);
  if (!read_integer(outEditCols, Settings.ColsCount)) return false;
  if (!read_integer(outEditRows, Settings.RowsCount)) return false;
  Settings.Title = B(outEditTitle->text());
  Settings.SubtitleIndex = static_cast<SubtitleKind>(RadioGroupThumbsSubtitle->ItemIndex());
  Settings.HTMLThumbnails = LinesOf(outMemoHTMLThumbnails);
  Settings.HTMLImages = LinesOf(outMemoHTMLImages);
  Settings.AutoBrowserStart = CheckBoxAutoBrowserStart->isChecked();
  return true;
}

void TKM::ButtonLoadSettingsClick() {
  const std::optional<QString> file =
      dialogs_.OpenFileName(this, QString::fromLatin1(kSettingsFilter), QStringLiteral("km2"));
  if (!file) return;
  if (!ControlsToSettings()) return;
  const KM_Class before = Settings;
  const SettingsFileStatus status = Settings.LoadFromFileChecked(PathBytes(*file));
  if (status.state == SettingsFileState::kUnreadable) {
    // A file that is there but cannot be read must not replace the shown settings by
    // defaults the user never chose.
    Settings = before;
    ShowError(QStringLiteral("KM"),
              LangText(MessageKey::SettingsFileUnreadable, {B(*file), status.reason}));
    return;
  }
  SettingsToControls();
}

bool TKM::SaveSettingsTo(const std::string& file_name) {
  if (Settings.SaveToFile(file_name)) {
    Changed = false;
    return true;
  }
  ShowError(QStringLiteral("KM"), LangText(MessageKey::SaveSettingsError));
  return false;
}

void TKM::ButtonSaveSettingsClick() {
  const std::optional<QString> file =
      dialogs_.SaveFileName(this, QString::fromLatin1(kSettingsFilter), QStringLiteral("km2"));
  if (!file) return;
  if (!ControlsToSettings()) return;
  SaveSettingsTo(PathBytes(*file));
}

void TKM::ButtonSaveDefaultClick() {
  if (!ControlsToSettings()) return;
  // Installed, default.km2 goes to the user's folder, created on the first write.
  SaveSettingsTo(ProgramFileForWriting(ProgramFolder, kDefaultSettingsName));
}

void TKM::Button4Click() {
  // The program folder's Custom.ln, the file about to be written, is replaced as a whole:
  // no stale keys survive, and nothing outside the program folder is touched.
  try {
    RegenerateLanguageFile({this, FormWaiting}, ProgramFolder);
  } catch (const std::exception& error) {
    ShowError(QStringLiteral("Kelmora"), Q(error.what()));
  }
}

void TKM::LoadLanguage() {
  bool loaded = false;
  try {
    loaded = ::kelmora::LoadLanguage(ProgramFolder, LanguageFile);
  } catch (const std::exception& error) {
    ShowError(QStringLiteral("Kelmora"), Q(error.what()));
  }
  if (loaded && CurrentLanguage()) {
    // The progress window too: the generator lists its texts, so translators translate them.
    std::vector<Form*> forms{this};
    if (FormWaiting) forms.push_back(FormWaiting);
    TranslateForms(forms, *CurrentLanguage());
    FitWindowSize();  // a translation may need more room than the built-in texts
  }
}

void TKM::FillLanguageList() {
  FillingLanguages = true;
  outComboBoxLanguage->clear();
  const std::string current = WithoutExtension(LanguageFile);
  int selected = -1;
  for (const ProgramFile& file : ListLanguageFiles(ProgramFolder)) {
    const QString name = Q(WithoutExtension(file.Name));
    // The item keeps the file's own name, whatever the letter case of its extension.
    outComboBoxLanguage->addItem(name, Q(file.Name));
    if (selected < 0 && name.compare(Q(current), Qt::CaseInsensitive) == 0) {
      selected = outComboBoxLanguage->count() - 1;
    }
  }
  outComboBoxLanguage->setCurrentIndex(selected);
  FillingLanguages = false;
}

void TKM::outComboBoxLanguageChange() {
  if (FillingLanguages || outComboBoxLanguage->currentIndex() < 0) return;
  LanguageFile = B(outComboBoxLanguage->currentData().toString());
  LoadLanguage();
  FillMacroGrids();
  if (!SaveLanguageChoice(ProgramFolder, LanguageFile)) {
    ShowError(QStringLiteral("Kelmora"),
              QStringLiteral("Cannot write file \"%1\"")
                  .arg(Q(ProgramFolder.write_folder + std::string(kProgramIniName))));
  }
}

void TKM::ChooseFolder(TFolderBrowser& browser, QLineEdit* edit, MessageKey title_key) {
  browser.DialogTitle = LangText(title_key);
  if (!edit->text().isEmpty()) browser.Folder = edit->text();
  if (browser.Execute()) edit->setText(browser.Folder);
}

void TKM::ButtonImportDirectoryClick() {
  ChooseFolder(input_folder_browser, outEditSource, MessageKey::InputPathDialogTitle);
}

void TKM::ButtonExportDirectoryClick() {
  ChooseFolder(output_folder_browser, outEditDesti, MessageKey::OutputPathDialogTitle);
}

void TKM::ButtonAdditionalDirectoryClick() {
  ChooseFolder(additional_folder_browser, outEditAdditional, MessageKey::AdditionalPathDialogTitle);
}

void TKM::TrackBarImageQualityChange() {
  LabelImageQuality->setText(QString::number(TrackBarImageQuality->value()));
  SetChanged();
}

void TKM::TrackBarThumbQualityChange() {
  LabelThumbQuality->setText(QString::number(TrackBarThumbQuality->value()));
  SetChanged();
}

void TKM::RadioButton120Click() {
  outMaskEditUserSize->setText(QStringLiteral("120"));
  SetChanged();
}

void TKM::RadioButton140Click() {
  outMaskEditUserSize->setText(QStringLiteral("140"));
  SetChanged();
}

void TKM::RadioButton160Click() {
  outMaskEditUserSize->setText(QStringLiteral("160"));
  SetChanged();
}

void TKM::SortModeClick() {
  CheckBoxExif->setEnabled(SortMode->ItemIndex() < 2);
  SetChanged();
}

void TKM::ButtonDoCreateClick() {
  if (running_) return;
  running_ = true;
  close_requested_during_run_ = false;
  PageControl1->setEnabled(false);
  CreationRunOptions options;
  const int mode = RadioGroupCreation->ItemIndex();
  options.mode = static_cast<CreationMode>(mode < 0 || mode > 2 ? 0 : mode);
  options.BatchMode = BatchMode;
  options.only_redo_changed = CheckBoxOnlyRedoChanged->isChecked();
  Host host(*this);
  RunCreation(Settings, *list, host, options);
  PageControl1->setEnabled(true);
  running_ = false;
  if (close_requested_during_run_) QTimer::singleShot(0, this, [this] { close(); });
}

void TKM::ButtonClearOutputFolderClick() {
  if (running_) return;
  Host host(*this);
  ClearOutputFolder(Settings, host);
}

void TKM::ButtonBrowserDisplayClick() {
  Host host(*this);
  OpenFirstPage(Settings, host);
}

void TKM::outMemoHTMLThumbnailsKeyDown() {
  Changed = true;
}

void TKM::SetChanged() {
  Changed = true;
}

void TKM::Timer1Timer() {
  const QString caption = QString::fromLatin1(kCaption);
  setWindowTitle(Changed ? caption + QStringLiteral(" *") : caption);
}

void TKM::ButtonQuitClick() {
  close();
}

void TKM::LabelHomepageLinkClick() {
  // The README of the first program folder that has one (the shared data folder when
  // installed).
  const std::string name = B(LabelHomepageLink->text());
  std::string path = FindProgramFile(ProgramFolder, name);
  if (path.empty()) path = ProgramFolder.write_folder + name;
  dialogs_.OpenUrl(QUrl::fromLocalFile(Q(path)).toString());
}

}  // namespace kelmora
