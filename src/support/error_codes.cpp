#include "support/error_codes.h"

#include <string>

namespace vintrel {

int32_t ErrorNumber(ErrorCode code) {
  return kObjectErrorBase + static_cast<int32_t>(code);
}

bool IsOwnError(int64_t number) {
  return number >= kObjectErrorBase && number <= int64_t{kObjectErrorBase} + kOwnErrorRange;
}

std::string_view ErrorMessage(ErrorCode code) {
  // Messages completed with an underlying description carry a line break before its placeholder.
  switch (code) {
    case ErrorCode::kSettingConnectionTag:
      return "Error setting connection tag.";
    case ErrorCode::kRetrievingConnectionTag:
      return "Error retrieving connection tag.";
    case ErrorCode::kOpeningFile:
      return "Error while opening file %1. \r\n%2";
    case ErrorCode::kOpeningDatabase:
      return "Error while opening database %1. \r\n%2";
    case ErrorCode::kReadingFile:
      return "Error while reading file %1. \r\n%2";
    case ErrorCode::kReadingDatabase:
      return "Error while reading database %1. \r\n%2";
    case ErrorCode::kRequeryingFile:
      return "Error requerying file %1. \r\n%2";
    case ErrorCode::kRequeryingDatabase:
      return "Error requerying database %1. \r\n%2";
    case ErrorCode::kSettingShapeInformation:
      return "Error setting shape information.";
    case ErrorCode::kSavingShapeTags:
      return "Error saving shape tags. \r\n%1";
    case ErrorCode::kSavingConnectionTags:
      return "Error while saving connection tags. \r\n%1";
    case ErrorCode::kFillingValues:
      return "Error while filling values. \r\n%1";
    case ErrorCode::kOpeningPresentation:
      return "Error while opening presentation. \r\n%1";
    case ErrorCode::kRequeryingData:
      return "Error while requerying data. \r\n%1";
    case ErrorCode::kRefreshingValues:
      return "Error while refreshing values. \r\n%1";
    case ErrorCode::kRetrievingValue:
      return "Error while retrieving value of column %1 of row %2.\r\n%3";
    case ErrorCode::kSettingClock:
      return "Error setting clock.\r\n%1";
    case ErrorCode::kSavingDistributionTags:
      return "Error while saving distribution list tags.";
    case ErrorCode::kSendingPresentation:
      return "Error while sending presentation. \r\n%1";
    case ErrorCode::kSavingScrollStep:
      return "Error while saving scroll step information.";
    case ErrorCode::kCreatingOffline:
      return "Error while creating off-line presentation. \r\n%1";
    case ErrorCode::kStartingTimers:
      return "Error while starting timer functions. \r\n%1";
    case ErrorCode::kOpeningExcelFile:
      return "Error while opening excel file %1. \r\n%2";
    case ErrorCode::kReadingExcelFile:
      return "Error while reading excel file %1. \r\n%2";
    case ErrorCode::kRequeryingExcelFile:
      return "Error requerying excel file %1. \r\n%2";
    case ErrorCode::kReadingSheets:
      return "Error while reading sheets from excel file %1. \r\n%2";
    case ErrorCode::kDuplicatedColumnName:
      return "Duplicated column name '%1' detected.";
  }
  return "";
}

std::string FillPlaceholders(std::string_view message,
                             std::initializer_list<std::string_view> values) {
  std::string text(message);
  int index = 1;
  for (std::string_view value : values) {
    if (index > 3) break;
    const std::string placeholder = "%" + std::to_string(index);
    std::string result;
    size_t from = 0;
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, from)) {
      result.append(text, from, at - from);
      result.append(value);
      from = at + placeholder.size();
    }
    result.append(text, from, std::string::npos);
    text = std::move(result);
    ++index;
  }
  return text;
}

std::string CompleteMessage(ErrorCode code, std::initializer_list<std::string_view> values) {
  return FillPlaceholders(ErrorMessage(code), values);
}

Error MakeError(ErrorCode code, std::string_view source,
                std::initializer_list<std::string_view> values) {
  return Error(ErrorNumber(code), std::string(source), CompleteMessage(code, values));
}

void RaiseError(ErrorCode code, std::string_view source,
                std::initializer_list<std::string_view> values) {
  throw MakeError(code, source, values);
}

}  // namespace vintrel
