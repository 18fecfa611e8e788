#include "host/common/locale_forms.h"

#include <langinfo.h>
#include <locale.h>

namespace vintrel {

LocaleForms ReadLocaleForms(const char* name) {
  LocaleForms forms;
  locale_t locale = name == nullptr ? duplocale(LC_GLOBAL_LOCALE)
                                    : newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) {
    locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return forms;
  }
  forms.decimal_point = nl_langinfo_l(RADIXCHAR, locale);
  forms.thousands_separator = nl_langinfo_l(THOUSEP, locale);
  forms.date_format = nl_langinfo_l(D_FMT, locale);
  forms.time_format = nl_langinfo_l(T_FMT, locale);
  freelocale(locale);
  if (forms.decimal_point.empty()) forms.decimal_point = ".";
  if (forms.time_format.empty()) forms.time_format = "%H:%M:%S";
  return forms;
}

std::string WithFourDigitYear(std::string format) {
  for (size_t at = format.find("%y"); at != std::string::npos; at = format.find("%y", at + 2)) {
    format[at + 1] = 'Y';
  }
  return format;
}

}  // namespace vintrel
