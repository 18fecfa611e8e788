// Workbooks the spreadsheet program encrypts with its fixed default password: it does so for a
// workbook whose sheets or structure are protected, and opens such a file without asking for a
// password. Only a workbook that needs a password of its own is password-protected.
#ifndef VINTREL_HOST_WORKBOOK_DEFAULT_PASSWORD_H_
#define VINTREL_HOST_WORKBOOK_DEFAULT_PASSWORD_H_

#include <optional>
#include <string>

#include "host/workbook/compound_file.h"

namespace vintrel::host::workbook {

// The .xlsx package inside an encrypted compound document (its EncryptionInfo and
// EncryptedPackage streams), decrypted with the default password; nothing when it needs another
// password or uses an encryption the reader does not know.
std::optional<std::string> DecryptPackage(const CompoundFile& file);

// Decrypts a BIFF8 workbook stream whose FILEPASS record announces RC4 encryption, with the
// default password, in place; false (the stream unchanged) when that password is not the one.
bool DecryptWorkbookStream(std::string& stream);

}  // namespace vintrel::host::workbook

#endif  // VINTREL_HOST_WORKBOOK_DEFAULT_PASSWORD_H_
