// The main window's controls: created in the order of its tabs, which is the order of its
// component list.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "gui/km.h"
#include "gui/memo_lines.h"
#include "gui/radio_group.h"
#include "imaging/filters.h"

namespace kelmora {
namespace {

QString Text(const char* text) {
  return QString::fromUtf8(text);
}

void MakeDigitsOnly(QLineEdit* edit, int digits) {
  edit->setMaxLength(digits);
  edit->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), edit));
}

void MakeMemo(QPlainTextEdit* memo) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  memo->setFont(font);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setTabChangesFocus(false);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SetMemoLines(memo, {QStringLiteral("Memo1")});
}

void MakeMacroGrid(QTableWidget* grid) {
  grid->setColumnCount(2);
  grid->setColumnWidth(0, 93);
  grid->setColumnWidth(1, 535);
  grid->horizontalHeader()->hide();  // row 0 is the header row
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(16);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setWordWrap(false);
}

void MakeSwatch(QLineEdit* swatch) {
  swatch->setReadOnly(true);
  swatch->setEnabled(false);
  swatch->setFixedWidth(40);
}

void MakeQualityBar(QSlider* bar) {
  bar->setOrientation(Qt::Horizontal);
  bar->setRange(1, 100);
  bar->setValue(85);
  bar->setTickPosition(QSlider::NoTicks);
  bar->setToolTip(Text("The higher the quality the bigger the filesize"));
}

}  // namespace

void TKM::CreateFilesAndFoldersTab() {
  TabSheetFilesAndFolders = Register(new QWidget, "TabSheetFilesAndFolders");
  PageControl1->addTab(TabSheetFilesAndFolders, Text("Files and Folders"));
  auto* page = new QVBoxLayout(TabSheetFilesAndFolders);

  GroupBox3 = Register(
      new QGroupBox(Text("Settings File Management / Language Selection"), TabSheetFilesAndFolders),
      "GroupBox3");
  ButtonLoadSettings =
      Register(new QPushButton(Text("&Load Settings..."), GroupBox3), "ButtonLoadSettings");
  ButtonSaveSettings =
      Register(new QPushButton(Text("&Save Settings..."), GroupBox3), "ButtonSaveSettings");
  ButtonSaveDefault =
      Register(new QPushButton(Text("Save as &Default"), GroupBox3), "ButtonSaveDefault");
  outLabelChoseLanguage =
      Register(new QLabel(Text("CHOSE YOUR LANGUAGE"), GroupBox3), "outLabelChoseLanguage");
  {
    QFont font = outLabelChoseLanguage->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    outLabelChoseLanguage->setFont(font);
    outLabelChoseLanguage->setStyleSheet(QStringLiteral("color: red;"));
  }
  outComboBoxLanguage = Register(new QComboBox(GroupBox3), "outComboBoxLanguage");
  outComboBoxLanguage->setEditable(false);
  outComboBoxLanguage->setMinimumWidth(110);
  Button4 = Register(new QPushButton(Text("Generate LN-File"), GroupBox3), "Button4");
  Button4->setVisible(false);
  {
    auto* row = new QHBoxLayout(GroupBox3);
    row->addWidget(ButtonLoadSettings);
    row->addWidget(ButtonSaveSettings);
    row->addWidget(ButtonSaveDefault);
    row->addStretch();
    row->addWidget(outLabelChoseLanguage);
    row->addWidget(outComboBoxLanguage);
    row->addWidget(Button4);
  }
  page->addWidget(GroupBox3);

  GroupBox2 = Register(
      new QGroupBox(Text("Folder Settings / Paths, Filenames and Extensions of Output Files"),
                    TabSheetFilesAndFolders),
      "GroupBox2");
  Label2 = Register(new QLabel(Text("Path of INPUT Folder "), GroupBox2), "Label2");
  CheckBoxLockInput = Register(
      new QCheckBox(Text("Lock input path (don't change after loading new settings file) "),
                    GroupBox2),
      "CheckBoxLockInput");
  ButtonImportDirectory =
      Register(new QPushButton(Text("..."), GroupBox2), "ButtonImportDirectory");
  ButtonImportDirectory->setToolTip(
      Text("Press here to select Source Folder or enter Path into Edit-field"));
  outEditSource = Register(new QLineEdit(GroupBox2), "outEditSource");
  Label3 = Register(new QLabel(Text("Path of OUTPUT Folder"), GroupBox2), "Label3");
  CheckBoxLockOutput = Register(
      new QCheckBox(Text("Lock output path (don't change after loading new settings file) "),
                    GroupBox2),
      "CheckBoxLockOutput");
  ButtonExportDirectory =
      Register(new QPushButton(Text("..."), GroupBox2), "ButtonExportDirectory");
  ButtonExportDirectory->setToolTip(
      Text("Press here to select Destination Folder or enter Path into Edit-field"));
  outEditDesti = Register(new QLineEdit(GroupBox2), "outEditDesti");
  Label15 = Register(new QLabel(Text("OPTIONAL: Path of additional graphics (background images, "
                                     "navigation graphics, logos etc.) "),
                                GroupBox2),
                     "Label15");
  ButtonAdditionalDirectory =
      Register(new QPushButton(Text("..."), GroupBox2), "ButtonAdditionalDirectory");
  ButtonAdditionalDirectory->setToolTip(
      Text("Press here to select  Folder for additional elements or enter Path into Edit-field"));
  outEditAdditional = Register(new QLineEdit(GroupBox2), "outEditAdditional");
  Label4 = Register(new QLabel(Text("Name of Thumbnail Websites"), GroupBox2), "Label4");
  outEditThumbSitesName = Register(new QLineEdit(Text("page"), GroupBox2), "outEditThumbSitesName");
  Label6 = Register(new QLabel(Text("Name of Image Websites"), GroupBox2), "Label6");
  outEditImageSitesName = Register(new QLineEdit(Text("img"), GroupBox2), "outEditImageSitesName");
  Label5 = Register(new QLabel(Text("Extension of  Websites:"), GroupBox2), "Label5");
  outComboBoxHTMLExtension = Register(new QComboBox(GroupBox2), "outComboBoxHTMLExtension");
  outComboBoxHTMLExtension->setEditable(true);
  outComboBoxHTMLExtension->setInsertPolicy(QComboBox::NoInsert);
  outComboBoxHTMLExtension->addItems({Text(".htm"), Text(".html")});
  outComboBoxHTMLExtension->setCurrentIndex(0);
  CheckBoxConvertFilenames =
      Register(new QCheckBox(Text("Convert Image Filenames (convert all to lower case letters and "
                                  "replace special characters like äöü etc.)"),
                             GroupBox2),
               "CheckBoxConvertFilenames");
  {
    auto* grid = new QGridLayout(GroupBox2);
    grid->setVerticalSpacing(3);
    const auto folder_rows = [&](int row, QLabel* label, QCheckBox* lock, QPushButton* button,
                                 QLineEdit* edit) {
      grid->addWidget(label, row, 0, 1, lock ? 3 : 6);
      if (lock) grid->addWidget(lock, row, 3, 1, 3, Qt::AlignRight);
      grid->addWidget(button, row + 1, 0);
      grid->addWidget(edit, row + 1, 1, 1, 5);
      button->setFixedWidth(28);
    };
    folder_rows(0, Label2, CheckBoxLockInput, ButtonImportDirectory, outEditSource);
    folder_rows(2, Label3, CheckBoxLockOutput, ButtonExportDirectory, outEditDesti);
    folder_rows(4, Label15, nullptr, ButtonAdditionalDirectory, outEditAdditional);
    grid->addWidget(Label4, 6, 0, 1, 2);
    grid->addWidget(Label6, 6, 2, 1, 2);
    grid->addWidget(Label5, 6, 4, 1, 2);
    grid->addWidget(outEditThumbSitesName, 7, 0, 1, 2);
    grid->addWidget(outEditImageSitesName, 7, 2, 1, 2);
    grid->addWidget(outComboBoxHTMLExtension, 7, 4, 1, 2);
    grid->addWidget(CheckBoxConvertFilenames, 8, 0, 1, 6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
  }
  page->addWidget(GroupBox2);
  page->addStretch();
}

void TKM::CreateThumbnailsTab() {
  TabSheetThumbnailsNImages = Register(new QWidget, "TabSheetThumbnailsNImages");
  PageControl1->addTab(TabSheetThumbnailsNImages, Text("Thumbnails and Images"));
  auto* page = new QGridLayout(TabSheetThumbnailsNImages);

  GroupBox5 =
      Register(new QGroupBox(Text("Image Export Options"), TabSheetThumbnailsNImages), "GroupBox5");
  Label9 = Register(new QLabel(Text("JPEG Quality"), GroupBox5), "Label9");
  Label10 = Register(new QLabel(Text("lowest"), GroupBox5), "Label10");
  Label11 = Register(new QLabel(Text("highest"), GroupBox5), "Label11");
  TrackBarImageQuality = Register(new QSlider(GroupBox5), "TrackBarImageQuality");
  MakeQualityBar(TrackBarImageQuality);
  LabelImageQuality = Register(new QLabel(Text("85"), GroupBox5), "LabelImageQuality");
  LabelImageQuality->setMinimumWidth(24);
  const QString width_hint =
      Text("Images wider than this are resized to fit this size. Aspect ratio is always kept");
  const QString height_hint =
      Text("Images higher than this are resized to fit this size. Aspect ratio is always kept");
  Label12 = Register(new QLabel(Text("Maximum Image Width"), GroupBox5), "Label12");
  Label12->setToolTip(width_hint);
  outMaskEditMaxWidth = Register(new QLineEdit(Text("800"), GroupBox5), "outMaskEditMaxWidth");
  MakeDigitsOnly(outMaskEditMaxWidth, 4);
  outMaskEditMaxWidth->setToolTip(width_hint);
  Label13 = Register(new QLabel(Text("Maximum Image Height"), GroupBox5), "Label13");
  Label13->setToolTip(height_hint);
  outMaskEditMaxHeight = Register(new QLineEdit(Text("600"), GroupBox5), "outMaskEditMaxHeight");
  MakeDigitsOnly(outMaskEditMaxHeight, 4);
  outMaskEditMaxHeight->setToolTip(height_hint);
  Label14 = Register(new QLabel(Text("Filter for Resampling:"), GroupBox5), "Label14");
  outComboBoxFilter = Register(new QComboBox(GroupBox5), "outComboBoxFilter");
  outComboBoxFilter->setEditable(false);
  for (const FilterInfo& filter : kFilters) outComboBoxFilter->addItem(Text(filter.name));
  outComboBoxFilter->setCurrentIndex(-1);
  outComboBoxFilter->setToolTip(Text("normally Lanczos3 provides best quality"));
  {
    auto* grid = new QGridLayout(GroupBox5);
    grid->setVerticalSpacing(3);
    grid->addWidget(Label9, 0, 0, 1, 4);
    grid->addWidget(Label10, 1, 0);
    grid->addWidget(TrackBarImageQuality, 1, 1);
    grid->addWidget(Label11, 1, 2);
    grid->addWidget(LabelImageQuality, 1, 3);
    grid->addWidget(Label12, 2, 0, 1, 2);
    grid->addWidget(outMaskEditMaxWidth, 2, 2, 1, 2);
    grid->addWidget(Label13, 3, 0, 1, 2);
    grid->addWidget(outMaskEditMaxHeight, 3, 2, 1, 2);
    grid->addWidget(Label14, 4, 0, 1, 2);
    grid->addWidget(outComboBoxFilter, 4, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    outMaskEditMaxWidth->setFixedWidth(60);
    outMaskEditMaxHeight->setFixedWidth(60);
  }

  GroupBox1 = Register(new QGroupBox(Text("Thumbnail Export Options"), TabSheetThumbnailsNImages),
                       "GroupBox1");
  Label1 = Register(new QLabel(Text("JPEG Quality"), GroupBox1), "Label1");
  Label7 = Register(new QLabel(Text("lowest"), GroupBox1), "Label7");
  Label8 = Register(new QLabel(Text("highest"), GroupBox1), "Label8");
  TrackBarThumbQuality = Register(new QSlider(GroupBox1), "TrackBarThumbQuality");
  MakeQualityBar(TrackBarThumbQuality);
  LabelThumbQuality = Register(new QLabel(Text("85"), GroupBox1), "LabelThumbQuality");
  LabelThumbQuality->setMinimumWidth(24);
  GroupBox4 = Register(new QGroupBox(Text("Maximum Thumbnail Size"), GroupBox1), "GroupBox4");
  RadioButton120 = Register(new QRadioButton(Text("120 x 120"), GroupBox4), "RadioButton120");
  RadioButton140 = Register(new QRadioButton(Text("140 x 140"), GroupBox4), "RadioButton140");
  RadioButton160 = Register(new QRadioButton(Text("160 x 160"), GroupBox4), "RadioButton160");
  RadioButtonUser =
      Register(new QRadioButton(Text("User defined max. size"), GroupBox4), "RadioButtonUser");
  RadioButtonUser->setChecked(true);
  outMaskEditUserSize = Register(new QLineEdit(Text("140"), GroupBox4), "outMaskEditUserSize");
  MakeDigitsOnly(outMaskEditUserSize, 3);
  outMaskEditUserSize->setAlignment(Qt::AlignRight);
  outMaskEditUserSize->setFixedWidth(44);
  {
    auto* grid = new QGridLayout(GroupBox4);
    grid->setVerticalSpacing(1);
    grid->addWidget(RadioButton120, 0, 0);
    grid->addWidget(RadioButton140, 0, 1);
    grid->addWidget(RadioButton160, 0, 2);
    grid->addWidget(RadioButtonUser, 1, 0, 1, 2);
    grid->addWidget(outMaskEditUserSize, 1, 2);
  }
  {
    auto* grid = new QGridLayout(GroupBox1);
    grid->setVerticalSpacing(3);
    grid->addWidget(Label1, 0, 0, 1, 4);
    grid->addWidget(Label7, 1, 0);
    grid->addWidget(TrackBarThumbQuality, 1, 1);
    grid->addWidget(Label8, 1, 2);
    grid->addWidget(LabelThumbQuality, 1, 3);
    grid->addWidget(GroupBox4, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
  }

  GroupBox6 =
      Register(new QGroupBox(Text("Other Options"), TabSheetThumbnailsNImages), "GroupBox6");
  SortMode = Register(new RadioGroup(GroupBox6), "SortMode");
  SortMode->setTitle(Text("Sort Images according to"));
  SortMode->SetItems({Text("Date ascending"), Text("Date descending"), Text("Name ascending"),
                      Text("Name descending")});
  SortMode->SetItemIndex(0);
  SortMode->setToolTip(Text("The order in which the thumbnails are sorted on the websites"));
  CheckBoxExif =
      Register(new QCheckBox(Text("use EXIF fileinfo for sorting by date if available"), GroupBox6),
               "CheckBoxExif");
  CheckBoxExif->setChecked(true);
  CheckBoxCopyOrgSizedImages =
      Register(new QCheckBox(Text("copy also images in original size"), GroupBox6),
               "CheckBoxCopyOrgSizedImages");
  CheckBoxAutoRotate =
      Register(new QCheckBox(Text("Turn pictures upright"), GroupBox6), "CheckBoxAutoRotate");
  CheckBoxAutoRotate->setToolTip(
      Text("Applies the camera's orientation tag before thumbnails and resized images are made"));
  CheckBoxStripLocation = Register(new QCheckBox(Text("Leave out the GPS position"), GroupBox6),
                                   "CheckBoxStripLocation");
  CheckBoxStripLocation->setToolTip(Text("Published copies of JPEG files carry no GPS position"));
  {
    auto* column = new QVBoxLayout(GroupBox6);
    column->addWidget(SortMode);
    column->addWidget(CheckBoxExif);
    column->addWidget(CheckBoxCopyOrgSizedImages);
    column->addWidget(CheckBoxAutoRotate);
    column->addWidget(CheckBoxStripLocation);
    column->addStretch();
  }
  page->addWidget(GroupBox5, 0, 0);
  page->addWidget(GroupBox1, 1, 0);
  page->addWidget(GroupBox6, 0, 1, 2, 1);
  page->setColumnStretch(0, 1);
  page->setColumnStretch(1, 1);
  page->setRowStretch(2, 1);
}

void TKM::CreateMoreLayoutTab() {
  TabSheetMoreLayout = Register(new QWidget, "TabSheetMoreLayout");
  PageControl1->addTab(TabSheetMoreLayout, Text("more Layout Options"));
  auto* page = new QHBoxLayout(TabSheetMoreLayout);

  GroupBoxColorOptions =
      Register(new QGroupBox(Text("Color Options"), TabSheetMoreLayout), "GroupBoxColorOptions");
  ButtonBGColor =
      Register(new QPushButton(Text("Background"), GroupBoxColorOptions), "ButtonBGColor");
  ButtonTextColor =
      Register(new QPushButton(Text("Text"), GroupBoxColorOptions), "ButtonTextColor");
  ButtonLinkColor =
      Register(new QPushButton(Text("Link"), GroupBoxColorOptions), "ButtonLinkColor");
  ButtonVisitedColor =
      Register(new QPushButton(Text("Visited Link"), GroupBoxColorOptions), "ButtonVisitedColor");
  outEditBGColor = Register(new QLineEdit(GroupBoxColorOptions), "outEditBGColor");
  outEditTextColor = Register(new QLineEdit(GroupBoxColorOptions), "outEditTextColor");
  outEditLinkColor = Register(new QLineEdit(GroupBoxColorOptions), "outEditLinkColor");
  outEditVisitedLinkColor =
      Register(new QLineEdit(GroupBoxColorOptions), "outEditVisitedLinkColor");
  for (QLineEdit* swatch :
       {outEditBGColor, outEditTextColor, outEditLinkColor, outEditVisitedLinkColor}) {
    MakeSwatch(swatch);
  }
  LabelColorPreview =
      Register(new QLabel(Text("Colors Preview"), GroupBoxColorOptions), "LabelColorPreview");
  outRichEditColorPreview =
      Register(new QTextEdit(GroupBoxColorOptions), "outRichEditColorPreview");
  outRichEditColorPreview->setReadOnly(true);
  outRichEditColorPreview->setPlainText(Text("normal text color\nlink color\nvisited link color"));
  outRichEditColorPreview->setFixedHeight(80);
  {
    auto* grid = new QGridLayout(GroupBoxColorOptions);
    int row = 0;
    for (auto [button, swatch] :
         {std::pair{ButtonBGColor, outEditBGColor}, std::pair{ButtonTextColor, outEditTextColor},
          std::pair{ButtonLinkColor, outEditLinkColor},
          std::pair{ButtonVisitedColor, outEditVisitedLinkColor}}) {
      grid->addWidget(button, row, 0);
      grid->addWidget(swatch, row, 1);
      ++row;
    }
    grid->addWidget(LabelColorPreview, row++, 0, 1, 2);
    grid->addWidget(outRichEditColorPreview, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
  }

  GroupBoxLayoutThumbnails = Register(
      new QGroupBox(Text("Thumbnailpage Options"), TabSheetMoreLayout), "GroupBoxLayoutThumbnails");
  LabelTitle = Register(new QLabel(Text("Title for Thumbnailpages"), GroupBoxLayoutThumbnails),
                        "LabelTitle");
  outEditTitle =
      Register(new QLineEdit(Text("outEditTitle"), GroupBoxLayoutThumbnails), "outEditTitle");
  LabelNumOfCols =
      Register(new QLabel(Text("Number of Columns"), GroupBoxLayoutThumbnails), "LabelNumOfCols");
  LabelNumOfCols->setToolTip(
      Text("How many Columns of images shall your webpage(s) consist of..."));
  outEditCols =
      Register(new QLineEdit(Text("outEditCols"), GroupBoxLayoutThumbnails), "outEditCols");
  LabelNumOfRows =
      Register(new QLabel(Text("Number of Rows"), GroupBoxLayoutThumbnails), "LabelNumOfRows");
  outEditRows =
      Register(new QLineEdit(Text("outEditRows"), GroupBoxLayoutThumbnails), "outEditRows");
  RadioGroupThumbsSubtitle =
      Register(new RadioGroup(GroupBoxLayoutThumbnails), "RadioGroupThumbsSubtitle");
  RadioGroupThumbsSubtitle->setTitle(Text("Subtitle for Thumbnails"));
  RadioGroupThumbsSubtitle->SetItems({Text("None"), Text("Filename with extension"),
                                      Text("Filename without extension"), Text("Exif comment"),
                                      Text("Image number (1..N)"), Text("Capture date")});
  RadioGroupThumbsSubtitle->SetItemIndex(0);
  {
    auto* grid = new QGridLayout(GroupBoxLayoutThumbnails);
    grid->addWidget(LabelTitle, 0, 0, 1, 2);
    grid->addWidget(outEditTitle, 1, 0, 1, 2);
    grid->addWidget(LabelNumOfCols, 2, 0);
    grid->addWidget(outEditCols, 2, 1);
    grid->addWidget(LabelNumOfRows, 3, 0);
    grid->addWidget(outEditRows, 3, 1);
    grid->addWidget(RadioGroupThumbsSubtitle, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
  }
  page->addWidget(GroupBoxColorOptions, 1);
  page->addWidget(GroupBoxLayoutThumbnails, 1);
}

void TKM::CreateHtmlTab() {
  TabSheetHTML = Register(new QWidget, "TabSheetHTML");
  PageControl1->addTab(TabSheetHTML, Text("HTML"));
  auto* page = new QVBoxLayout(TabSheetHTML);
  PageControl2 = Register(new QTabWidget(TabSheetHTML), "PageControl2");
  page->addWidget(PageControl2);

  // Each tab page comes before its content in the component list.
  TabSheetThumbnailHTML = Register(new QWidget, "TabSheetThumbnailHTML");
  PageControl2->addTab(TabSheetThumbnailHTML, Text("HTML Thumbnailpages"));
  outMemoHTMLThumbnails =
      Register(new QPlainTextEdit(TabSheetThumbnailHTML), "outMemoHTMLThumbnails");
  MakeMemo(outMemoHTMLThumbnails);
  TabSheetThumbHTMLMacros = Register(new QWidget, "TabSheetThumbHTMLMacros");
  PageControl2->addTab(TabSheetThumbHTMLMacros, Text("Macros for Thumbnailpages"));
  outStringGridMacros1 =
      Register(new QTableWidget(TabSheetThumbHTMLMacros), "outStringGridMacros1");
  MakeMacroGrid(outStringGridMacros1);
  TabSheetImageHTML = Register(new QWidget, "TabSheetImageHTML");
  PageControl2->addTab(TabSheetImageHTML, Text("HTML Imagepages"));
  outMemoHTMLImages = Register(new QPlainTextEdit(TabSheetImageHTML), "outMemoHTMLImages");
  MakeMemo(outMemoHTMLImages);
  TabSheetImageHTMLMacros = Register(new QWidget, "TabSheetImageHTMLMacros");
  PageControl2->addTab(TabSheetImageHTMLMacros, Text("Macros for Imagepages"));
  outStringGridMacros2 =
      Register(new QTableWidget(TabSheetImageHTMLMacros), "outStringGridMacros2");
  MakeMacroGrid(outStringGridMacros2);
  for (auto [tab, content] :
       {std::pair<QWidget*, QWidget*>{TabSheetThumbnailHTML, outMemoHTMLThumbnails},
        {TabSheetThumbHTMLMacros, outStringGridMacros1},
        {TabSheetImageHTML, outMemoHTMLImages},
        {TabSheetImageHTMLMacros, outStringGridMacros2}}) {
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(content);
  }
}

void TKM::CreateCreateTab() {
  TabSheetCreate = Register(new QWidget, "TabSheetCreate");
  PageControl1->addTab(TabSheetCreate, Text("Go Create!"));
  ButtonClearOutputFolder = Register(new QPushButton(Text("Clear Output Folder"), TabSheetCreate),
                                     "ButtonClearOutputFolder");
  CheckBoxAutoBrowserStart =
      Register(new QCheckBox(Text("Automatically show first page in webbrowser after creation"),
                             TabSheetCreate),
               "CheckBoxAutoBrowserStart");
  CheckBoxAutoBrowserStart->setChecked(true);
  RadioGroupCreation = Register(new RadioGroup(TabSheetCreate), "RadioGroupCreation");
  RadioGroupCreation->setTitle(Text("What elements shall be created"));
  RadioGroupCreation->SetItems(
      {Text("Create All (may take lots of time, needed for final version)"),
       Text("Create webpages and images for first page only, optionally copy additional "
            "elements (faster, for testing purposes) "),
       Text("Create only webpages (fastest, useful for testing and optimization in case that "
            "images were already created)")});
  RadioGroupCreation->SetItemIndex(0);
  // A choice of this run only; it is not kept in the settings file.
  CheckBoxOnlyRedoChanged = Register(new QCheckBox(Text("Only redo what changed"), TabSheetCreate),
                                     "CheckBoxOnlyRedoChanged");
  CheckBoxOnlyRedoChanged->setToolTip(
      Text("Pictures whose outputs were made from the same file with the same settings are "
           "not made again; unchanged pages are not rewritten"));
  ButtonDoCreate =
      Register(new QPushButton(Text("Execute Creation"), TabSheetCreate), "ButtonDoCreate");
  {
    QFont font = ButtonDoCreate->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    ButtonDoCreate->setFont(font);
    ButtonDoCreate->setMinimumHeight(40);
  }
  ButtonBrowserDisplay =
      Register(new QPushButton(Text("Show first page in Webbrowser"), TabSheetCreate),
               "ButtonBrowserDisplay");
  ButtonQuit = Register(new QPushButton(Text("Exit Kelmora"), TabSheetCreate), "ButtonQuit");

  auto* page = new QVBoxLayout(TabSheetCreate);
  page->setContentsMargins(6, 6, 6, 6);
  auto* top = new QHBoxLayout;
  top->addWidget(CheckBoxAutoBrowserStart);
  top->addStretch();
  top->addWidget(ButtonClearOutputFolder);
  page->addLayout(top);
  page->addWidget(RadioGroupCreation);
  page->addWidget(CheckBoxOnlyRedoChanged);
  page->addSpacing(8);
  page->addWidget(ButtonDoCreate);
  page->addStretch();
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(ButtonBrowserDisplay);
  bottom->addStretch();
  bottom->addWidget(ButtonQuit);
  page->addLayout(bottom);
}

void TKM::CreateInformationTab() {
  TabSheet1 = Register(new QWidget, "TabSheet1");
  PageControl1->addTab(TabSheet1, Text("Information"));
  const auto label = [this](const char* name, const char* text) {
    QLabel* created = Register(new QLabel(Text(text), TabSheet1), name);
    created->setWordWrap(true);
    return created;
  };
  const auto headline = [](QLabel* created, double scale) {
    QFont font = created->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * scale);
    created->setFont(font);
  };
  outLabelKelmora2 = label("outLabelKelmora2", "Kel Mora 2.0");
  headline(outLabelKelmora2, 2.2);
  LabelSubtitle = label("LabelSubtitle", "Static photo galleries from your camera's pictures");
  LabelAboutHeadline = label("LabelAboutHeadline", "About Kelmora");
  headline(LabelAboutHeadline, 1.15);
  LabelAboutText = label(
      "LabelAboutText",
      "Kelmora puts the pictures of a digital camera into web pages: for every image a resized "
      "copy, a thumbnail and an image page, and thumbnail pages that show them in a grid. The "
      "pages come from two HTML templates that you edit freely on the HTML tab. Macros between "
      "\"@\" signs fill in page numbers, neighbouring pages, file names, colours and the "
      "thumbnail table: one set for thumbnail pages, one for image pages. Seven resampling "
      "filters (Lanczos3 gives the best quality) scale the pictures. Started as kelmora "
      "SETTINGS.km2 INPUT OUTPUT, Kelmora makes the gallery without questions and ends.");
  LabelWhatsNewHeadLine = label("LabelWhatsNewHeadLine", "What's new in Version 2.0?");
  headline(LabelWhatsNewHeadLine, 1.15);
  LabelWhatsNew =
      label("LabelWhatsNew",
            "Sorting by the EXIF capture date, TIFF input, subtitles under the thumbnails, an "
            "additional-elements folder copied into every gallery, a faster creation mode for "
            "testing, and interface languages you can switch at any time.");
  LabelSupportHeadline = label("LabelSupportHeadline", "Help and feedback");
  headline(LabelSupportHeadline, 1.15);
  LabelHowToSupport = label(
      "LabelHowToSupport",
      "Kelmora is free. The README next to the program explains every option, the macros, the "
      "command line and how to translate the interface into your language.");
  LabelVisitMyHomepage = label("LabelVisitMyHomepage", "Read the manual:");
  LabelHomepageLink = label("LabelHomepageLink", "README.md");
  LabelHomepageLink->setWordWrap(false);
  LabelHomepageLink->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
  LabelHomepageLink->setCursor(Qt::PointingHandCursor);

  auto* page = new QVBoxLayout(TabSheet1);
  page->setSpacing(4);
  for (QLabel* item :
       {outLabelKelmora2, LabelSubtitle, LabelAboutHeadline, LabelAboutText, LabelWhatsNewHeadLine,
        LabelWhatsNew, LabelSupportHeadline, LabelHowToSupport}) {
    page->addWidget(item);
  }
  auto* link_row = new QHBoxLayout;
  link_row->addWidget(LabelVisitMyHomepage);
  link_row->addWidget(LabelHomepageLink);
  link_row->addStretch();
  page->addLayout(link_row);
  page->addStretch();
}

}  // namespace kelmora
