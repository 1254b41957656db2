#include "scan/DefaultHierarchy.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/Paths.h"

namespace {

constexpr std::array<DefaultHierarchyRow, 95> kRows{{
    {1, 1, "Autos"},
    {5, 1, "Autos/Auto %d (right click to change)"},
    {5, 1, "Autos/Auto %d (right click to change)/Loan"},
    {5, 1, "Autos/Auto %d (right click to change)/Loan/Statements"},
    {5, 1, "Autos/Auto %d (right click to change)/Loan/Miscellaneous"},
    {5, 1, "Autos/Auto %d (right click to change)/Insurance"},
    {5, 1, "Autos/Auto %d (right click to change)/Receipts"},
    {5, 1, "Autos/Auto %d (right click to change)/Miscellaneous"},
    {1, 1, "Banks"},
    {3, 1, "Banks/Bank %d (right click to change)"},
    {3, 1, "Banks/Bank %d (right click to change)/Statements"},
    {3, 1, "Banks/Bank %d (right click to change)/Cancelled Checks"},
    {3, 1, "Banks/Bank %d (right click to change)/Receipts"},
    {3, 1, "Banks/Bank %d (right click to change)/Tax Statements"},
    {3, 1, "Banks/Bank %d (right click to change)/Miscellaneous"},
    {1, 1, "Credit Cards"},
    {5, 1, "Credit Cards/Credit Card %d (right click to change)"},
    {5, 1, "Credit Cards/Credit Card %d (right click to change)/Statements"},
    {5, 1, "Credit Cards/Credit Card %d (right click to change)/Miscellaneous"},
    {1, 1, "Employment"},
    {3, 1, "Employment/Employer %d (right click to change)"},
    {3, 1, "Employment/Employer %d (right click to change)/Pay Stubs"},
    {3, 1, "Employment/Employer %d (right click to change)/Tax Statements"},
    {3, 1, "Employment/Employer %d (right click to change)/Miscellaneous"},
    {3, 1, "Employment/Employer %d (right click to change)/Insurance"},
    {3, 1, "Employment/Employer %d (right click to change)/Insurance/Medical"},
    {3, 1, "Employment/Employer %d (right click to change)/Insurance/Dental"},
    {3, 1, "Employment/Employer %d (right click to change)/Insurance/Life"},
    {3, 1, "Employment/Employer %d (right click to change)/Insurance/Disability"},
    {1, 1, "Houses"},
    {3, 1, "Houses/House %d (right click to change)"},
    {3, 1, "Houses/House %d (right click to change)/Mortgages and Loans"},
    {3, 3,
     "Houses/House %d (right click to change)/Mortgages and Loans/Mortgage %d (right click to "
     "change)"},
    {3, 3,
     "Houses/House %d (right click to change)/Mortgages and Loans/Mortgage %d (right click to "
     "change)/Miscellaneous"},
    {3, 3,
     "Houses/House %d (right click to change)/Mortgages and Loans/Mortgage %d (right click to "
     "change)/Statements"},
    {3, 3,
     "Houses/House %d (right click to change)/Mortgages and Loans/Loan %d (right click to change)"},
    {3, 3,
     "Houses/House %d (right click to change)/Mortgages and Loans/Loan %d (right click to "
     "change)/Miscellaneous"},
    {3, 3,
     "Houses/House %d (right click to change)/Mortgages and Loans/Loan %d (right click to "
     "change)/Statements"},
    {3, 1, "Houses/House %d (right click to change)/Insurance"},
    {3, 1, "Houses/House %d (right click to change)/Insurance/Homeowners"},
    {3, 1, "Houses/House %d (right click to change)/Insurance/Flood"},
    {3, 1, "Houses/House %d (right click to change)/Insurance/Disaster"},
    {3, 1, "Houses/House %d (right click to change)/Taxes"},
    {3, 1, "Houses/House %d (right click to change)/Maintenance"},
    {3, 1, "Houses/House %d (right click to change)/Maintenance/Receipts"},
    {3, 1, "Houses/House %d (right click to change)/Maintenance/Miscellaneous"},
    {3, 1, "Houses/House %d (right click to change)/Miscellaneous"},
    {1, 1, "Investments"},
    {8, 1, "Investments/Investment Firm %d (right click to change)"},
    {8, 1, "Investments/Investment Firm %d (right click to change)/Statements"},
    {8, 1, "Investments/Investment Firm %d (right click to change)/Trade Confirmations"},
    {8, 1, "Investments/Investment Firm %d (right click to change)/Receipts"},
    {8, 1, "Investments/Investment Firm %d (right click to change)/Certificates"},
    {8, 1, "Investments/Investment Firm %d (right click to change)/Miscellaneous"},
    {1, 1, "Personal"},
    {1, 1, "Personal/Spouse"},
    {1, 1, "Personal/Children"},
    {5, 1, "Personal/Children/Child %d (right click to change)"},
    {1, 1, "Personal/Correspondence"},
    {8, 1, "Personal/Correspondence/Correspondent %d (right click to change)"},
    {1, 1, "Hobbies"},
    {5, 1, "Hobbies/Hobby %d (right click to change)"},
    {1, 1, "Personal/Miscellaneous"},
    {1, 1, "Taxes"},
    {1, 1, "Taxes/Federal"},
    {1, 1, "Taxes/State"},
    {1, 1, "Taxes/Local"},
    {1, 1, "Utilities and Services"},
    {1, 1, "Utilities and Services/Water"},
    {1, 1, "Utilities and Services/Water/Statements"},
    {1, 1, "Utilities and Services/Water/Miscellaneous"},
    {1, 1, "Utilities and Services/Sewer"},
    {1, 1, "Utilities and Services/Sewer/Statements"},
    {1, 1, "Utilities and Services/Sewer/Miscellaneous"},
    {1, 1, "Utilities and Services/Cable TV"},
    {1, 1, "Utilities and Services/Cable TV/Statements"},
    {1, 1, "Utilities and Services/Cable TV/Miscellaneous"},
    {1, 1, "Utilities and Services/Internet"},
    {1, 1, "Utilities and Services/Internet/Statements"},
    {1, 1, "Utilities and Services/Internet/Miscellaneous"},
    {1, 1, "Utilities and Services/Cell Phone"},
    {1, 1, "Utilities and Services/Cell Phone/Statements"},
    {1, 1, "Utilities and Services/Cell Phone/Miscellaneous"},
    {1, 1, "Utilities and Services/Telephone"},
    {1, 1, "Utilities and Services/Telephone/Statements"},
    {1, 1, "Utilities and Services/Telephone/Miscellaneous"},
    {1, 1, "Utilities and Services/Garbage"},
    {1, 1, "Utilities and Services/Garbage/Statements"},
    {1, 1, "Utilities and Services/Garbage/Miscellaneous"},
    {1, 1, "Utilities and Services/Electricity"},
    {1, 1, "Utilities and Services/Electricity/Statements"},
    {1, 1, "Utilities and Services/Electricity/Miscellaneous"},
    {1, 1, "Utilities and Services/Gas"},
    {1, 1, "Utilities and Services/Gas/Statements"},
    {1, 1, "Utilities and Services/Gas/Miscellaneous"},
}};

// Puts `first` and `second` in place of the first and second "%d"; the
// table's names hold no other "%", so no printf formatting is needed.
std::string ExpandPath(const char* pathFormat, int first, int second) {
  std::string path = pathFormat;
  for (const int number : {first, second}) {
    const std::size_t at = path.find("%d");
    if (at == std::string::npos)
      break;
    path.replace(at, 2, std::to_string(number));
  }
  return path;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

std::span<const DefaultHierarchyRow> DefaultHierarchyRows() {
  return kRows;
}

std::vector<std::string> DefaultHierarchyFolders() {
  std::vector<std::string> folders;
  for (const DefaultHierarchyRow& row : kRows) {
    for (int first = 1; first <= row.firstCount; ++first) {
      for (int second = 1; second <= row.secondCount; ++second)
        folders.push_back(ExpandPath(row.pathFormat, first, second));
    }
  }
  return folders;
}

bool CreateDefaultHierarchy(const std::string& rootFolder) {
  Log(LOG_LOCATION, "CreateDefaultHierarchy(): %s", rootFolder.c_str());
  CheckPrecondition(CONTRACT_LOCATION,
                    rootFolder.starts_with('/') && EndsWithSeparator(rootFolder));

  // The documents folder the default root lives in need not exist on a
  // fresh Linux account; without it the user would get an empty archive.
  std::error_code error;
  std::filesystem::create_directories(rootFolder, error);
  if (!IsFolder(rootFolder)) {
    Log(LOG_LOCATION, "CreateDefaultHierarchy(): cannot create %s: %s", rootFolder.c_str(),
        error.message().c_str());
    return false;
  }

  // One level at a time, so a folder that already exists (or a file in its
  // place) is left exactly as it is and only its missing siblings follow.
  const std::vector<std::string> folders = DefaultHierarchyFolders();
  int created = 0;
  bool complete = true;
  for (const std::string& folder : folders) {
    const std::string path = rootFolder + folder;
    if (::mkdir(path.c_str(), 0777) == 0)
      ++created;
    else
      complete = complete && IsFolder(path);
  }
  Log(LOG_LOCATION, "CreateDefaultHierarchy(): created %d of %zu folders", created, folders.size());
  return complete;
}
