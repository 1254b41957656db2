#include "app/CommandUsage.h"

#include <cstdio>

#include "app/ExitStatus.h"

namespace {

// The same table as ExitStatusMeanings() and the manual page.
#define DOCKETEER_EXIT_STATUS_TEXT                                                 \
  "Exit status:\n"                                                                 \
  "  0  done; a warning, such as a PDF written without searchable text, goes to\n" \
  "     standard error\n"                                                          \
  "  1  bad usage\n"                                                               \
  "  2  scanner failure: no scanner, a paper jam or another scanner error\n"       \
  "  3  a file could not be written; the reason is printed\n"                      \
  "  4  cancelled\n"                                                               \
  "  5  a file could not be read or is not an image\n"

#define DOCKETEER_OUTPUT_OPTIONS_TEXT                      \
  "  --quiet              no progress on standard error\n" \
  "  --verbose            the debug log's lines on standard error as well\n"

const char kProgramUsage[] =
    "Usage: docketeer [COMMAND [OPTIONS]]\n"
    "Scans paper documents into a folder archive. Without a command the window opens.\n"
    "\n"
    "Commands:\n"
    "  scan FOLDER        scan one document into FOLDER under the folder's next name\n"
    "  next-name FOLDER   print the name the next document in FOLDER gets\n"
    "  combine FOLDER     combine the page files of FOLDER into one TIFF beside it\n"
    "  convert FILE       convert a multi-page image file into a PDF beside it\n"
    "  sources            list the scanners, the default one marked with \"*\"\n"
    "  search WORDS       find the archive's documents by their words, name and date\n"
    "  index              bring the archive's index up to date; --recognise reads\n"
    "                     the pictures too\n"
    "  pages FILE         turn, remove, move or split off pages of a PDF or TIFF\n"
    "  join FILES         join PDF or TIFF documents into one\n"
    "\n"
    "  --help             show this text; \"docketeer COMMAND --help\" for a command\n"
    "  --version          show the version\n"
    "\n"
    "Every command takes --quiet (no progress) and --verbose (the debug log's lines\n"
    "on standard error as well).\n"
    "\n" DOCKETEER_EXIT_STATUS_TEXT;

const char kScanUsage[] =
    "Usage: docketeer scan FOLDER [OPTIONS]\n"
    "Scans one document into FOLDER, named by the folder's name format after the\n"
    "last name it recorded, with the folder's multi-page, rotation and document size\n"
    "choices unless the options below say otherwise. Prints the path it wrote.\n"
    "\n"
    "  --name NAME          the document's name instead of the folder's next name\n"
    "  --format FORMAT      bmp, jpg (jpeg), gif, png, tif (tiff), tif-lzw (tiff-lzw),\n"
    "                       pdf (pdf-compressed) or pdf-uncompressed, in any case\n"
    "  --resolution DPI     dots per inch\n"
    "  --mode MODE          lineart, gray or color\n"
    "  --size NAME          a document size of the catalogue, such as \"A4\"\n"
    "  --rotate             turn the pages by 90 degrees\n"
    "  --source NAME        the scanner, as \"docketeer sources\" lists it\n"
    "  --feeder             every page in the document feeder becomes a page\n"
    "  --pages N            a document of N scans from the glass; on a terminal,\n"
    "                       Enter starts the next one (q cancels)\n"
    "  --overwrite          replace an existing document of the same name\n"
    "  --ocr, --no-ocr      make a PDF document searchable, or not, whatever the\n"
    "                       settings say\n"
    "  --ocr-language LANG  the recognition language, as \"eng\" or \"deu+eng\"\n"
    "  --skip-blank, --no-skip-blank\n"
    "                       set blank pages aside (a single page to the trash, the\n"
    "                       pages of a multi-page document into a folder beside it),\n"
    "                       or not, whatever the folder says\n"
    "  --upright, --no-upright\n"
    "                       turn pages of text upright, or not\n"
    "  --deskew, --no-deskew\n"
    "                       straighten pages scanned at an angle, or "
    "not\n" DOCKETEER_OUTPUT_OPTIONS_TEXT
    "\n"
    "It never asks: an existing document is refused unless --overwrite is given.\n"
    "Pages written before a failure stay in the document's folder.\n"
    "\n" DOCKETEER_EXIT_STATUS_TEXT;

const char kNextNameUsage[] =
    "Usage: docketeer next-name FOLDER\n"
    "Prints the name the next document scanned into FOLDER gets.\n";

const char kCombineUsage[] =
    "Usage: docketeer combine FOLDER [--overwrite]\n"
    "Combines the page files \"Page 001\" to \"Page 099\" of FOLDER into one TIFF\n"
    "named like the folder, beside it; the page files go, and the folder when it is\n"
    "left empty. Prints the path it wrote.\n"
    "\n"
    "  --overwrite          replace an existing TIFF of the same "
    "name\n" DOCKETEER_OUTPUT_OPTIONS_TEXT "\n" DOCKETEER_EXIT_STATUS_TEXT;

const char kConvertUsage[] =
    "Usage: docketeer convert FILE [--uncompressed] [--remove-original] [--overwrite]\n"
    "                         [--ocr | --no-ocr] [--ocr-language LANG]\n"
    "Converts a multi-page image file into a PDF named like it, beside it, with JPEG\n"
    "pages. Prints the path it wrote.\n"
    "\n"
    "  --uncompressed       PNG pages instead of JPEG\n"
    "  --remove-original    move FILE to the trash once the PDF is written\n"
    "  --overwrite          replace an existing PDF of the same name\n"
    "  --ocr, --no-ocr      make the PDF searchable, or not, whatever the settings say\n"
    "  --ocr-language LANG  the recognition language, as \"eng\" or "
    "\"deu+eng\"\n" DOCKETEER_OUTPUT_OPTIONS_TEXT "\n" DOCKETEER_EXIT_STATUS_TEXT;

const char kSourcesUsage[] =
    "Usage: docketeer sources\n"
    "Lists the scanners, one a line; the default one is marked with \"* \", the\n"
    "others start with two blanks.\n";

const char kSearchUsage[] =
    "Usage: docketeer search WORDS [--folder FOLDER] [--since DATE] [--until DATE]\n"
    "                        [--limit N] [--null]\n"
    "Finds the documents of the archive root folder whose text, name or folder\n"
    "holds all the WORDS, after bringing the archive's index up to date (with\n"
    "progress on a terminal). Prints one line per document, best first: its path,\n"
    "the page of the best hit and a snippet of that page, separated by tabs. A\n"
    "path holding a line feed or another control character is printed quoted, as\n"
    "$'a\\nb'.\n"
    "\n"
    "  WORDS            all must match; \"a phrase\" in quotes, insur* for words that\n"
    "                   start so; case and accents do not matter\n"
    "  --folder FOLDER  only documents below FOLDER (a folder in the archive)\n"
    "  --since DATE     only documents dated DATE or later (2026-11-30, 2026-11\n"
    "                   or 2026): the date the name carries, else the file's date\n"
    "  --until DATE     only documents dated DATE or earlier\n"
    "  --limit N        only the N best documents; says on standard error how\n"
    "                   many there were in all\n"
    "  --null           end the path, page and snippet each with a NUL instead, for\n"
    "                   scripts (xargs -0); paths are printed as they are\n"
    "\n"
    "When the index cannot be brought up to date (a read-only or full disk,\n"
    "another Docketeer updating it), search answers from the index as it is and\n"
    "says why on standard error. Pictures are found by their words once\n"
    "recognised: see docketeer index --recognise.\n"
    "\n"
    "Exit status, as grep's:\n"
    "  0  something was found\n"
    "  1  nothing was found\n"
    "  2  bad usage, or the archive or its index could not be searched\n";

const char kIndexUsage[] =
    "Usage: docketeer index [--recognise]\n"
    "Brings the index of the archive root folder up to date: documents added,\n"
    "changed, renamed or deleted are found as they are now. Shows progress on a\n"
    "terminal.\n"
    "\n"
    "  --recognise      also recognise the text of the pictures and the PDFs\n"
    "                   without text that wait for it (the window does so in the\n"
    "                   background); Ctrl+C stops after the page being read, and\n"
    "                   the next run goes on from there\n"
    "\n"
    "Exit status: 0 done, 1 bad usage, 3 the index could not be written or the\n"
    "recognition language is not installed, 4 stopped.\n";

const char kPagesUsage[] =
    "Usage: docketeer pages FILE [--turn PAGE:DEGREES,...] [--remove PAGES]\n"
    "                            [--move PAGE:PLACE,...] [--split-after PAGE]\n"
    "                            [--output NEW]\n"
    "Mends a PDF or TIFF document without re-encoding its pages: a turned page\n"
    "keeps its image and text, only its rotation changes. The document is replaced\n"
    "only once the mended one is complete. Prints the paths it wrote.\n"
    "\n"
    "  --turn 3:180,5:90    turn pages clockwise by 90, 180 or 270 (-90) degrees\n"
    "  --remove 4,6-8       remove pages; they go to \"Removed pages.pdf\" (or .tif)\n"
    "                       in the folder \"NAME (removed pages)\" beside the document\n"
    "  --move 2:5           move page 2 so that it becomes page 5\n"
    "  --split-after 3      the pages after page 3 become a new document under the\n"
    "                       folder's next name\n"
    "  --output NEW         write the mended document to NEW and leave FILE as it is\n"
    "\n"
    "Page numbers are those of FILE; the place a page moves to and the page a split\n"
    "follows count the pages of the mended document.\n"
    "Exit status: 0 done, 1 bad usage, 3 a file could not be written, 5 FILE could\n"
    "not be read or is not a PDF or TIFF.\n";

const char kJoinUsage[] =
    "Usage: docketeer join FILE FILE... --output NEW\n"
    "Joins PDF documents, or TIFF documents, into the new document NEW, their pages\n"
    "in the order given and copied as they are. Prints the path it wrote.\n"
    "\n"
    "Exit status: 0 done, 1 bad usage, 3 NEW could not be written, 5 a FILE could\n"
    "not be read or is not a PDF or TIFF.\n";

}  // namespace

const char* CommandUsage(const std::string& command) {
  if (command == "scan")
    return kScanUsage;
  if (command == "next-name")
    return kNextNameUsage;
  if (command == "combine")
    return kCombineUsage;
  if (command == "convert")
    return kConvertUsage;
  if (command == "sources")
    return kSourcesUsage;
  if (command == "search")
    return kSearchUsage;
  if (command == "index")
    return kIndexUsage;
  if (command == "pages")
    return kPagesUsage;
  if (command == "join")
    return kJoinUsage;
  return kProgramUsage;
}

std::string BadUsageLine(const std::string& command, const std::string& message) {
  const std::string help =
      command.empty() ? "docketeer --help" : "docketeer " + command + " --help";
  return "docketeer: " + message + "; see " + help;
}

int ReportBadUsage(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "%s\n", BadUsageLine(command, message).c_str());
  return kExitUsage;
}
