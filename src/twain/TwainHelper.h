#pragma once

#include <optional>

#include <QPointer>
#include <string>
#include <vector>

#include "core/PixelType.h"
#include "twain/ScanRequest.h"
#include "twain/TwainApi.h"
#include "twain/TwainTypes.h"

class QEvent;
class QObject;

// The physical size of a source's glass, in thousandths of its current unit.
struct DataSourceSize {
  int width;
  int height;
};

struct ResolutionRange {
  int lowest;
  int highest;
};

// Source event codes of PreTranslateMessage.
enum SourceEventCode {
  NOT_SOURCE_EVENT = 0,
  XFER_READY_MSG = 1,
  CLOSE_MSG = 2,
  OK_MSG = 3,
  NULL_MSG = 4,
};

// The program's one connection to a TWAIN scanner: the data source manager,
// the selected source, the negotiation of a scan and the native transfer of
// its pages. Every TWAIN call that must succeed raises a postcondition_error
// carrying the TWAIN return code, leaving the flags as they were.
class TwainHelper {
 public:
  // Loads the manager library; fails when it cannot (see TwainApi).
  TwainHelper();
  ~TwainHelper();

  TwainHelper(const TwainHelper&) = delete;
  TwainHelper& operator=(const TwainHelper&) = delete;

  void OpenDataSourceManager(int majorVersion, int minorVersion, const std::string& versionInfo,
                             const std::string& manufacturer, const std::string& productFamily,
                             const std::string& productName, QObject* parent);
  void CloseDataSourceManager();
  void SelectDefaultDataSource();
  // Shows the manager's selection dialog; a cancelled dialog keeps the
  // previous selection.
  void SelectDataSource();
  // The product names of the sources the manager lists, in its order.
  std::vector<std::string> ListDataSources();
  // Selects the listed source with this product name; false when none is listed.
  bool SelectDataSourceNamed(const std::string& productName);
  void OpenDataSource();
  void CloseDataSource();
  void EnableDataSource(const ScanRequest& request);
  void DisableDataSource();
  // Appends the pending pages, each a global memory block holding a
  // device-independent bitmap, in delivery order; `images` owns them.
  void TransferImages(std::vector<TW_HANDLE>& images);
  // Transfers the one page the source announced as ready and appends it to
  // `images`. Returns whether the source holds further pages, each announced
  // by a transfer-ready of its own; `pagesDelivered` counts the pages this scan
  // has delivered before, which a failure now leaves delivered.
  bool TransferImage(std::vector<TW_HANDLE>& images, int pagesDelivered);
  std::string GetDataSourceName();
  DataSourceSize GetDataSourceSize();
  // The lowest and highest resolution (dots per inch) the source offers;
  // nothing when it does not tell. May raise a contract_error as above.
  std::optional<ResolutionRange> GetResolutionRange();
  // Back to the manager-open state after a failure; never raises on TWAIN codes.
  void ResetDataSource();
  // A SourceEventCode for `message`; NOT_SOURCE_EVENT while no source is open.
  int PreTranslateMessage(QEvent* message);

  bool IsDataSourceManagerOpen() const;
  bool IsDataSourceSelected() const;
  bool IsDataSourceOpen() const;
  bool IsDataSourceEnabled() const;
  // The scan under way or last ended had a transfer fail (a jam, a device
  // error); pages delivered before it are kept and the scan ends as an error.
  bool HasTransferFailed() const { return transferFailed_; }

  // Consecutive unknown answers to a native transfer after which the source
  // is taken to have failed, so a confused driver cannot hang the program.
  static constexpr int kMaxUnknownTransferAnswers = 100;

 private:
  void CheckTwainInvariant() const;
  TW_USERINTERFACE UserInterface(bool showUi) const;
  void NegotiateResolution(int resolution);
  void NegotiatePixelType(PixelType pixelType);
  void NegotiateFeeder(bool feeder);
  DataSourceSize ReadPhysicalSize();
  void SetFrame(int width, int height);
  enum class PageTransfer { Again, MorePending, Done };
  void CheckTransferPreconditions() const;
  PageTransfer TransferOnePage(std::vector<TW_HANDLE>& images, int pagesDelivered,
                               int& unknownAnswers);
  bool EndTransfer();
  void StopAfterFailure(int pagesDelivered);
  void EndAndResetTransfers(bool mustSucceed);

  TwainApi api_;
  TW_IDENTITY appIdentity_;
  TW_IDENTITY dataSourceIdentity_;
  QPointer<QObject> parentWindow_;
  bool showUi_ = false;
  bool transferFailed_ = false;
  bool isDataSourceManagerOpen_ = false;
  bool isDataSourceSelected_ = false;
  bool isDataSourceOpen_ = false;
  bool isDataSourceEnabled_ = false;
};
