#pragma once

#include <QColor>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "gallery/km_list.h"
#include "gui/folder_browser.h"
#include "gui/form.h"
#include "localisation/message_table.h"
#include "platform/program_folders.h"
#include "settings/km_class.h"
#include "shell/batch.h"
#include "shell/exif_metadata_reader.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QTextEdit;
class QTimer;
class RadioGroup;

namespace kelmora {

class Dialogs;
class TFormWaiting;

// The main window: edits the gallery settings, manages settings files, picks the interface
// language and starts the creation run. Control names are the keys of the language files.
class TKM : public Form {
  Q_OBJECT

 public:
  // params: the program's command-line parameters (without its own name). program_folder
  // says where km.ini, default.km2 and the language files are read and written
  // (LocateProgramFolders for the running program).
  TKM(Dialogs& dialogs, std::vector<std::string> params, ProgramFolders program_folder);
  ~TKM() override;

  // The progress window, created after the main window (the program entry connects them).
  TFormWaiting* FormWaiting = nullptr;

  // Program-wide values set at start-up.
  ProgramFolders ProgramFolder;
  std::string LanguageFile;
  bool BatchMode = false;
  bool FillingLanguages = false;
  bool Changed = false;
  KM_Class Settings;
  std::unique_ptr<KM_List> list;
  TFolderBrowser input_folder_browser;
  TFolderBrowser output_folder_browser;
  TFolderBrowser additional_folder_browser;

  // The process exit status once the window has closed: 0, or the batch run's status.
  int ExitStatus() const { return exit_status_; }
  bool RunInProgress() const { return running_; }

  // Tab "Files and Folders".
  QTabWidget* PageControl1;
  QWidget* TabSheetFilesAndFolders;
  QGroupBox* GroupBox3;
  QPushButton* ButtonLoadSettings;
  QPushButton* ButtonSaveSettings;
  QPushButton* ButtonSaveDefault;
  QLabel* outLabelChoseLanguage;
  QComboBox* outComboBoxLanguage;
  QPushButton* Button4;
  QGroupBox* GroupBox2;
  QLabel* Label2;
  QCheckBox* CheckBoxLockInput;
  QPushButton* ButtonImportDirectory;
  QLineEdit* outEditSource;
  QLabel* Label3;
  QCheckBox* CheckBoxLockOutput;
  QPushButton* ButtonExportDirectory;
  QLineEdit* outEditDesti;
  QLabel* Label15;
  QPushButton* ButtonAdditionalDirectory;
  QLineEdit* outEditAdditional;
  QLabel* Label4;
  QLineEdit* outEditThumbSitesName;
  QLabel* Label6;
  QLineEdit* outEditImageSitesName;
  QLabel* Label5;
  QComboBox* outComboBoxHTMLExtension;
  QCheckBox* CheckBoxConvertFilenames;
  // Tab "Thumbnails and Images".
  QWidget* TabSheetThumbnailsNImages;
  QGroupBox* GroupBox5;
  QLabel* Label9;
  QLabel* Label10;
  QLabel* Label11;
  QSlider* TrackBarImageQuality;
  QLabel* LabelImageQuality;
  QLabel* Label12;
  QLineEdit* outMaskEditMaxWidth;
  QLabel* Label13;
  QLineEdit* outMaskEditMaxHeight;
  QLabel* Label14;
  QComboBox* outComboBoxFilter;
  QGroupBox* GroupBox1;
  QLabel* Label1;
  QLabel* Label7;
  QLabel* Label8;
  QSlider* TrackBarThumbQuality;
  QLabel* LabelThumbQuality;
  QGroupBox* GroupBox4;
  QRadioButton* RadioButton120;
  QRadioButton* RadioButton140;
  QRadioButton* RadioButton160;
  QRadioButton* RadioButtonUser;
  QLineEdit* outMaskEditUserSize;
  QGroupBox* GroupBox6;
  RadioGroup* SortMode;
  QCheckBox* CheckBoxExif;
  QCheckBox* CheckBoxCopyOrgSizedImages;
  QCheckBox* CheckBoxAutoRotate;
  QCheckBox* CheckBoxStripLocation;
  // Tab "more Layout Options".
  QWidget* TabSheetMoreLayout;
  QGroupBox* GroupBoxColorOptions;
  QPushButton* ButtonBGColor;
  QPushButton* ButtonTextColor;
  QPushButton* ButtonLinkColor;
  QPushButton* ButtonVisitedColor;
  QLineEdit* outEditBGColor;
  QLineEdit* outEditTextColor;
  QLineEdit* outEditLinkColor;
  QLineEdit* outEditVisitedLinkColor;
  QLabel* LabelColorPreview;
  QTextEdit* outRichEditColorPreview;
  QGroupBox* GroupBoxLayoutThumbnails;
  QLabel* LabelTitle;
  QLineEdit* outEditTitle;
  QLabel* LabelNumOfCols;
  QLineEdit* outEditCols;
  QLabel* LabelNumOfRows;
  QLineEdit* outEditRows;
  RadioGroup* RadioGroupThumbsSubtitle;
  // Tab "HTML" with its inner page control.
  QWidget* TabSheetHTML;
  QTabWidget* PageControl2;
  QWidget* TabSheetThumbnailHTML;
  QPlainTextEdit* outMemoHTMLThumbnails;
  QWidget* TabSheetThumbHTMLMacros;
  QTableWidget* outStringGridMacros1;
  QWidget* TabSheetImageHTML;
  QPlainTextEdit* outMemoHTMLImages;
  QWidget* TabSheetImageHTMLMacros;
  QTableWidget* outStringGridMacros2;
  // Tab "Go Create!".
  QWidget* TabSheetCreate;
  QPushButton* ButtonClearOutputFolder;
  QCheckBox* CheckBoxAutoBrowserStart;
  QCheckBox* CheckBoxOnlyRedoChanged;
  RadioGroup* RadioGroupCreation;
  QPushButton* ButtonDoCreate;
  QPushButton* ButtonBrowserDisplay;
  QPushButton* ButtonQuit;
  // Tab "Information".
  QWidget* TabSheet1;
  QLabel* outLabelKelmora2;
  QLabel* LabelSubtitle;
  QLabel* LabelAboutHeadline;
  QLabel* LabelAboutText;
  QLabel* LabelWhatsNewHeadLine;
  QLabel* LabelWhatsNew;
  QLabel* LabelSupportHeadline;
  QLabel* LabelHowToSupport;
  QLabel* LabelVisitMyHomepage;
  QLabel* LabelHomepageLink;
  QTimer* Timer1;

  // Handlers, under the names the controls refer to.
  void FormShow();
  bool FormCloseQuery();
  void FormDestroy();
  void PageControl1Change();
  void ButtonLoadSettingsClick();
  void ButtonSaveSettingsClick();
  void ButtonSaveDefaultClick();
  void Button4Click();
  void outComboBoxLanguageChange();
  void ButtonImportDirectoryClick();
  void ButtonExportDirectoryClick();
  void ButtonAdditionalDirectoryClick();
  void TrackBarImageQualityChange();
  void TrackBarThumbQualityChange();
  void RadioButton120Click();
  void RadioButton140Click();
  void RadioButton160Click();
  void SortModeClick();
  void ButtonBGColorClick();
  void ButtonTextColorClick();
  void ButtonLinkColorClick();
  void ButtonVisitedColorClick();
  void outStringGridMacros1DblClick();
  void outStringGridMacros2DblClick();
  void ButtonDoCreateClick();
  void ButtonClearOutputFolderClick();
  void ButtonBrowserDisplayClick();
  void outMemoHTMLThumbnailsKeyDown();
  void SetChanged();
  void Timer1Timer();
  void ButtonQuitClick();
  void LabelHomepageLinkClick();

  // Operations used by the handlers and by start-up.
  void SettingsToControls();
  // False (after an error box) when a number field holds no integer; the fields before it
  // have been copied.
  bool ControlsToSettings();
  void LoadLanguage();
  void FillLanguageList();
  void FillMacroGrids();
  void UpdateColorPreview();

  // The colour value a swatch holds (0x00BBGGRR), exactly as the settings gave it.
  static Color SwatchColor(const QLineEdit* swatch);
  static void SetSwatchColor(QLineEdit* swatch, Color color);

  // Runs the batch of the command-line parameters (after FormShow), then closes the window.
  void RunCommandLineBatch();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Host;

  void CreateFilesAndFoldersTab();
  void CreateThumbnailsTab();
  void CreateMoreLayoutTab();
  void CreateHtmlTab();
  void CreateCreateTab();
  void CreateInformationTab();
  void ConnectHandlers();
  void FitWindowSize();
  void ChooseFolder(TFolderBrowser& browser, QLineEdit* edit, MessageKey title_key);
  void ChooseColor(QLineEdit* swatch);
  void InsertMacro(QTableWidget* grid, QPlainTextEdit* memo);
  bool SaveSettingsTo(const std::string& file_name);
  void ShowError(const QString& caption, const QString& text);

  Dialogs& dialogs_;
  std::vector<std::string> params_;
  ExifMetadataReader metadata_reader_;
  QColor color_dialog_color_ = Qt::black;  // ColorDialog1 starts with the colour last chosen
  int current_tab_ = 0;
  bool started_ = false;     // FormShow has run
  bool shown_ = false;       // the window has been shown once
  bool fixed_size_ = false;  // the window's size has been set; it never shrinks again
  bool running_ = false;
  bool close_requested_during_run_ = false;
  int exit_status_ = 0;
};

}  // namespace kelmora
