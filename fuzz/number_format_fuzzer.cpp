// Formats that turn values into the text a shape shows: workbook number format codes (sections,
// conditions, colours, digits, fractions, exponents, dates, elapsed times, literals) applied to
// numbers, dates and text; the date patterns of clocks and date columns; the values a chart's
// data sheet takes. The input is split into a value and a format code.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <ctime>
#include <string>

#include "host/workbook/number_format.h"
#include "host/workbook/sheet_range.h"
#include "rendering/date_format.h"
#include "rendering/graph_fill.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("TZ", "UTC", 1);
  ::setenv("LC_ALL", "C", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  namespace workbook = vintrel::host::workbook;
  const double number = input.ConsumeFloatingPoint<double>();
  const bool system1904 = input.ConsumeBool();
  const int64_t seconds = input.ConsumeIntegralInRange<int64_t>(-62135596800, 253402300799);
  const std::string code = input.ConsumeRandomLengthString(256);
  const std::string text = input.ConsumeRemainingBytesAsString();

  workbook::NumberFormat format(code);
  const vintrel::host::DateSystem system =
      system1904 ? vintrel::host::DateSystem::k1904 : vintrel::host::DateSystem::k1900;
  format.IsDate();
  format.Format(number, system);
  format.Format(std::round(number), system);
  format.Format(-number / 7, system);
  format.FormatText(text);
  vintrel::host::CellValue value;
  for (auto kind :
       {vintrel::host::CellValue::Kind::kNumber, vintrel::host::CellValue::Kind::kText,
        vintrel::host::CellValue::Kind::kBoolean, vintrel::host::CellValue::Kind::kError}) {
    value.kind = kind;
    value.number = number;
    value.text = text;
    workbook::DisplayText(value, format, system);
    value.ToText();
  }

  // Clock and date-column patterns, on a real calendar date (as the clock's local time gives).
  const time_t when = static_cast<time_t>(seconds);
  std::tm local{};
  if (::gmtime_r(&when, &local) != nullptr) {
    vintrel::rendering::RegionalForms us;
    us.short_date = "%m/%d/%Y";
    us.long_date = "%A, %B %d, %Y";
    us.long_time = "%I:%M:%S %p";
    vintrel::rendering::FormatDate(local, code, us, true);
    vintrel::rendering::FormatDate(local, code, us, false);
  }
  vintrel::rendering::GraphValueText(code);
  vintrel::rendering::GraphValueText(text);
  return 0;
}
