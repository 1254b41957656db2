#include "ocr/TextEngine.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/DebugLog.h"
#include "ocr/EngineImage.h"
#include "ocr/GreyPage.h"
#include "ocr/OrientationDetector.h"
#include "platform/imaging/ImagingStatus.h"

namespace {

constexpr int kAssumedDpi = 300;

bool Cancelled(void* stop, int) {
  return static_cast<const std::atomic<bool>*>(stop)->load(std::memory_order_relaxed);
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The orientation model is as sure of a page at 150 dpi as at 300, and reads
// its quarter of the pixels in about three quarters of the time.
constexpr int kHalvedForOrientationFrom = 280;

// A page read with at least this mean confidence (of 100), in at least this
// many words, stands upright: upside-down text scores about 25, upright print
// above 90.
constexpr int kUprightConfidence = 70;
constexpr int kFewestWordsToJudge = 10;

int PageDpi(const Bitmap& page) {
  const double dpi = page.DpiY() > 0 ? page.DpiY() : page.DpiX();
  return dpi >= 70 && dpi <= 2400 ? static_cast<int>(std::lround(dpi)) : kAssumedDpi;
}

}  // namespace

TextEngine::TextEngine(std::string dataFolder, std::string language,
                       std::shared_ptr<OrientationDetector> orientation)
    : dataFolder_(std::move(dataFolder)),
      language_(std::move(language)),
      orientation_(orientation ? std::move(orientation)
                               : std::make_shared<OrientationDetector>(dataFolder_)) {}

TextEngine::~TextEngine() {
  if (reader_)
    reader_->End();
}

// The language may join several codes with "+" ("deu+eng"), each a data file.
std::string TextEngine::MissingLanguageFile() const {
  if (language_.empty())
    return dataFolder_ + ".traineddata";
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = language_.find('+', begin);
    const std::string file = dataFolder_ + language_.substr(begin, end - begin) + ".traineddata";
    if (!FileExists(file))
      return file;
    if (end == std::string::npos)
      return {};
    begin = end + 1;
  }
}

bool TextEngine::Start() {
  if (started_)
    return true;
  if (!startFailure_.empty())
    return false;
  if (const std::string missing = MissingLanguageFile(); !missing.empty()) {
    startFailure_ =
        "the recognition language \"" + language_ + "\" is not installed (no " + missing + ")";
    return false;
  }
  reader_ = std::make_unique<tesseract::TessBaseAPI>();
  QuietenEngine(*reader_);
  if (reader_->Init(dataFolder_.c_str(), language_.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
    reader_.reset();
    startFailure_ =
        "the recognition language \"" + language_ + "\" cannot be loaded from " + dataFolder_;
    return false;
  }
  QuietenEngine(*reader_);
  reader_->SetPageSegMode(tesseract::PSM_AUTO);
  started_ = true;
  return true;
}

int TextEngine::UprightTurn(const Bitmap& page, int dpi) {
  return orientation_->UprightTurn(page, dpi);
}

int TextEngine::UprightTurn(Pix* page) {
  return orientation_->UprightTurn(page);
}

int TextEngine::OrientationTurn(const Bitmap& page, int dpi) {
  Bitmap half;
  if (dpi < kHalvedForOrientationFrom || !IsOk(HalveGrey(page, half)))
    return UprightTurn(page, dpi);
  return UprightTurn(half, dpi / 2);
}

bool TextEngine::LoadPage(const std::string& pageFile, Bitmap& page, PageTextResult& result) {
  if (const ImagingStatus status = LoadGreyPage(pageFile, page); !IsOk(status)) {
    result = PageTextResult{};
    result.failure = std::string("the page cannot be read: ") + ImagingStatusText(status);
    return false;
  }
  return true;
}

// Most pages lie upright: they are read once, and only a page read with little
// confidence or with text found running sideways asks the orientation model,
// then is read again if it was turned.
PageTextResult TextEngine::Recognize(const std::string& pageFile, int timeLimitMs,
                                     const std::atomic<bool>& stop) {
  PageTextResult result;
  if (!Start()) {
    result.failure = startFailure_;
    return result;
  }
  const Deadline deadline{std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs),
                          timeLimitMs};
  Bitmap page;
  if (!LoadPage(pageFile, page, result))
    return result;
  bool upright = false;
  result = Read(std::move(page), 0, deadline, stop, &upright);
  if (!result.recognized || upright || !LoadPage(pageFile, page, result))
    return result;
  const int turn = OrientationTurn(page, PageDpi(page));
  if (turn == 0)
    return result;
  if (!IsOk(TurnClockwise(page, turn))) {
    result = PageTextResult{};
    result.failure = "the page cannot be turned upright: out of memory";
    return result;
  }
  return Read(std::move(page), turn, deadline, stop, nullptr);
}

PageTextResult TextEngine::Read(Bitmap page, int turn, const Deadline& deadline,
                                const std::atomic<bool>& stop, bool* upright) {
  PageTextResult result;
  const int width = page.Width();
  const int height = page.Height();
  SetEnginePage(*reader_, page, PageDpi(page));
  page = Bitmap();  // the engine reads its own copy
  tesseract::ETEXT_DESC monitor;
  monitor.cancel = &Cancelled;
  monitor.cancel_this = const_cast<std::atomic<bool>*>(&stop);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline.at - std::chrono::steady_clock::now());
  monitor.set_deadline_msecs(static_cast<int>(std::max<long long>(1, left.count())));
  const int status = left.count() > 0 ? reader_->Recognize(&monitor) : -1;
  if (left.count() <= 0 || monitor.deadline_exceeded()) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", deadline.limitMs / 1000.0);
    result.failure =
        std::string("recognition took longer than the limit of ") + seconds + " seconds";
  } else if (stop.load()) {
    result.failure = "recognition was stopped";
  } else if (status != 0) {
    result.failure = "the engine failed on the page";
  } else {
    result.text.width = width;
    result.text.height = height;
    result.text.clockwiseTurn = turn;
    ReadWords(result.text);
    result.recognized = true;
    if (upright)
      *upright = ReadUpright(result.text);
  }
  reader_->Clear();
  return result;
}

// Upside down, letters are read with little confidence; sideways, the engine
// finds lines of text running down the page.
bool TextEngine::ReadUpright(const PageText& text) {
  if (static_cast<int>(text.words.size()) < kFewestWordsToJudge ||
      reader_->MeanTextConf() < kUprightConfidence)
    return false;
  std::unique_ptr<tesseract::ResultIterator> blocks(reader_->GetIterator());
  if (!blocks)
    return false;
  do {
    tesseract::Orientation orientation = tesseract::ORIENTATION_PAGE_UP;
    tesseract::WritingDirection direction = tesseract::WRITING_DIRECTION_LEFT_TO_RIGHT;
    tesseract::TextlineOrder order = tesseract::TEXTLINE_ORDER_TOP_TO_BOTTOM;
    float deskew = 0;
    blocks->Orientation(&orientation, &direction, &order, &deskew);
    // Lines running down the page are how the engine reads a page lying on
    // its side without turning it.
    if (orientation != tesseract::ORIENTATION_PAGE_UP ||
        direction == tesseract::WRITING_DIRECTION_TOP_TO_BOTTOM ||
        order != tesseract::TEXTLINE_ORDER_TOP_TO_BOTTOM)
      return false;
  } while (blocks->Next(tesseract::RIL_BLOCK));
  return true;
}

namespace {

bool IsBlank(const char* text) {
  for (; *text != '\0'; ++text)
    if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
      return false;
  return true;
}

// The baseline's height at x, from the line's baseline segment.
int BaselineAt(int x, int x1, int y1, int x2, int y2) {
  if (x2 == x1)
    return std::max(y1, y2);
  return y1 + static_cast<int>(std::lround(double(y2 - y1) * (x - x1) / (x2 - x1)));
}

}  // namespace

void TextEngine::ReadWords(PageText& text) {
  std::unique_ptr<tesseract::ResultIterator> words(reader_->GetIterator());
  if (!words)
    return;
  constexpr auto kWord = tesseract::RIL_WORD;
  constexpr auto kLine = tesseract::RIL_TEXTLINE;
  do {
    if (words->Empty(kWord))
      continue;
    std::unique_ptr<char[]> utf8(words->GetUTF8Text(kWord));
    if (!utf8 || IsBlank(utf8.get()))
      continue;
    RecognizedWord word;
    word.text = utf8.get();
    words->BoundingBox(kWord, &word.left, &word.top, &word.right, &word.bottom);
    int lineLeft = 0, lineRight = 0;
    words->BoundingBox(kLine, &lineLeft, &word.lineTop, &lineRight, &word.lineBottom);
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (words->Baseline(kLine, &x1, &y1, &x2, &y2))
      word.baseline = BaselineAt((word.left + word.right) / 2, x1, y1, x2, y2);
    else
      word.baseline = word.bottom;
    // A line's box may be slanted; the word's own box still bounds it.
    word.lineTop = std::min(word.lineTop, word.top);
    word.lineBottom = std::max(word.lineBottom, word.bottom);
    word.baseline = std::clamp(word.baseline, word.lineTop + 1, word.lineBottom);
    text.words.push_back(std::move(word));
  } while (words->Next(kWord));
}
