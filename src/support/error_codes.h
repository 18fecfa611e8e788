// The add-in's own numbered errors: the object-error base plus a small number, each with a fixed
// message whose "%1", "%2", "%3" a raiser fills in with the connection name, the column, or the
// underlying description.
#ifndef VINTREL_SUPPORT_ERROR_CODES_H_
#define VINTREL_SUPPORT_ERROR_CODES_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "host/error.h"

namespace vintrel {

// 0x80040000 as the signed 32-bit number the host reports.
inline constexpr int32_t kObjectErrorBase = -2147221504;
// Numbers from the base to base + 9999 are the add-in's own.
inline constexpr int32_t kOwnErrorRange = 9999;

enum class ErrorCode : int32_t {
  kSettingConnectionTag = 1,
  kRetrievingConnectionTag = 2,
  kOpeningFile = 3,
  kOpeningDatabase = 4,
  kReadingFile = 5,
  kReadingDatabase = 6,
  kRequeryingFile = 7,
  kRequeryingDatabase = 8,
  kSettingShapeInformation = 9,
  kSavingShapeTags = 10,
  kSavingConnectionTags = 12,
  kFillingValues = 13,
  kOpeningPresentation = 14,
  kRequeryingData = 15,
  kRefreshingValues = 16,
  kRetrievingValue = 17,
  kSettingClock = 18,
  kSavingDistributionTags = 19,
  kSendingPresentation = 20,
  kSavingScrollStep = 21,
  kCreatingOffline = 24,
  kStartingTimers = 25,
  kOpeningExcelFile = 26,
  kReadingExcelFile = 27,
  kRequeryingExcelFile = 28,
  kReadingSheets = 29,
  kDuplicatedColumnName = 30,
};

// base + code, e.g. -2147221490 for kOpeningPresentation.
int32_t ErrorNumber(ErrorCode code);
// True for numbers from the base to base + 9999, both included.
bool IsOwnError(int64_t number);
// The message text with its placeholders, e.g. "Error while opening file %1. \r\n%2".
std::string_view ErrorMessage(ErrorCode code);
// Replaces every "%1" by the first value, then every "%2" by the second, then "%3".
std::string FillPlaceholders(std::string_view message,
                             std::initializer_list<std::string_view> values);
// The completed message of `code`.
std::string CompleteMessage(ErrorCode code, std::initializer_list<std::string_view> values = {});
// An Error with the code's number, `source` and the completed message.
Error MakeError(ErrorCode code, std::string_view source,
                std::initializer_list<std::string_view> values = {});
[[noreturn]] void RaiseError(ErrorCode code, std::string_view source,
                             std::initializer_list<std::string_view> values = {});

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_ERROR_CODES_H_
