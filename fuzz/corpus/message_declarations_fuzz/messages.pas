unit messages;

{ The messages of Kelmora with their built-in English texts, made by the build from
  the message table of the program. The language-file generator reads them here. }

interface

const
  InputPathDialogTitle='Select Input Folder';
  OutputPathDialogTitle='Select Output Folder';
  AdditionalPathDialogTitle='Select Additional Elements Folder';
  CommandLineHelp1='1st param is full path of ".km2" file to use';
  CommandLineHelp2='2nd param is path for input files';
  CommandLineHelp3='3rd param is path for output files';
  SaveSettingsError='settings file could NOT be saved';
  WorkNotSavedYet='Do you want to save changes?';
  TextColor='Text color';
  LinkTextColor='normal Link';
  VisitedLinkTextColor='visited Link';
  Macro1Expl='current page number';
  Macro2Expl='total number of pages';
  Macro3Expl='filename of next page';
  Macro4Expl='filename of previous page';
  Macro5Expl='filename of first page';
  Macro6Expl='filename of last page';
  Macro7Expl='ignore line on first page';
  Macro8Expl='ignore line on last page';
  Macro9Expl='this line only on first page';
  Macro10Expl='this line only on last page';
  Macro11Expl='Always ignore line (good for remarks)';
  Macro12Expl='The selected background color as hex value (e.g. "#1A66C5")';
  Macro13Expl='The selected text color as hex value';
  Macro14Expl='The selected link color as hex value';
  Macro15Expl='The selected visited link color as hex value';
  MacroThumbs1Expl='the table with the thumbnails';
  MacroThumbs2Expl='a title for the thumbnailpages as defined in "more layout options"';
  MacroImages1Expl='filename of corresponding thumbnailpage';
  MacroImages2Expl='filename of this image (probably scaled down)';
  MacroImages3Expl='filename of this image (original size) - see option ("copy also images in original size") ';
  MacroImages4Expl='original imagefilename WITHOUT fileextension';
  MacroImages5Expl='original imagefilename WITH fileextension';
  MacroImages6Expl='the contents of the comment section of the images exifinformation';
  OutputFolderNotExists='Output folder "%s" does not exist. Do you want to create it now?';
  OutputFolderError='Failed to create output folder: "%s"';
  OutputFolderNotEmpty='Output folder "%s" is not empty. Do you want to go on and delete it?';
  CopyAdditionalError='Incorrect path for additional elements: "%s"';
  InputFolderError='Incorrect path for input: "%s"';
  NothingToProcessError='No Images could be found';
  TextImageXofY='Image %d of %d';
  SettingsFileMissing='Missing settings file: "%s" is not the full path of a ".km2" file';
  ThumbnailGridError='Thumbnail pages need at least 1 row and 1 column (rows: %d, columns: %d)';

implementation

end.
