#include "host/workbook/default_password.h"

#include <openssl/evp.h>

#include <array>
#include <cstring>
#include <memory>
#include <pugixml.hpp>

#include "host/workbook/biff_records.h"

namespace vintrel::host::workbook {

namespace {

constexpr size_t kAesBlock = 16;

// The password the spreadsheet program encrypts protected workbooks with, as UTF-16LE bytes.
std::string DefaultPassword() {
  std::string bytes;
  for (char c : std::string("VelvetSweatshop")) bytes += std::string{c, '\0'};
  return bytes;
}

std::string Le32Bytes(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::string Digest(const EVP_MD* kind, std::string_view data) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), out, &size, kind, nullptr) != 1) return {};
  return std::string(reinterpret_cast<char*>(out), size);
}

// AES without padding, in CBC or ECB mode; empty when the key or the data do not fit.
std::string Aes(std::string_view key, std::string_view iv, std::string_view data, bool cbc) {
  const EVP_CIPHER* cipher = nullptr;
  switch (key.size()) {
    case 16:
      cipher = cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
      break;
    case 24:
      cipher = cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
      break;
    case 32:
      cipher = cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
      break;
    default:
      return {};
  }
  if (data.size() % 16 != 0 || (cbc && iv.size() < 16)) return {};
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                          EVP_CIPHER_CTX_free);
  std::string out(data.size() + 16, '\0');
  int written = 0, last = 0;
  auto bytes = [](std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
  };
  if (!context ||
      EVP_DecryptInit_ex(context.get(), cipher, nullptr, bytes(key), cbc ? bytes(iv) : nullptr) !=
          1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1 ||
      EVP_DecryptUpdate(context.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                        bytes(data), static_cast<int>(data.size())) != 1 ||
      EVP_DecryptFinal_ex(context.get(), reinterpret_cast<unsigned char*>(out.data()) + written,
                          &last) != 1) {
    return {};
  }
  out.resize(static_cast<size_t>(written + last));
  return out;
}

std::string Base64(const char* text) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (const char* p = text; *p; ++p) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* found = *p == '=' ? nullptr : std::strchr(alphabet, *p);
    if (found == nullptr) continue;
    bits = bits << 6 | static_cast<uint32_t>(found - alphabet);
    if ((count += 6) >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return out;
}

// `bytes` cut or padded (with `pad`) to `size`.
std::string Fit(std::string bytes, size_t size, char pad) {
  bytes.resize(size, pad);
  return bytes;
}

// The key of the agile encryption (an XML description, SHA-512 and AES-256 as written today):
// the password hashed many times over, then with a block key for each purpose.
std::optional<std::string> AgileKey(const pugi::xml_node& encrypted) {
  const EVP_MD* hash = EVP_get_digestbyname(encrypted.attribute("hashAlgorithm").value());
  if (hash == nullptr) return std::nullopt;
  const std::string salt = Base64(encrypted.attribute("saltValue").value());
  const size_t key_bytes = encrypted.attribute("keyBits").as_uint() / 8;
  const unsigned spins = encrypted.attribute("spinCount").as_uint();
  // AES keys have 16, 24 or 32 bytes; the program spins 100,000 times, and a hostile file
  // asking for billions would take hours.
  if ((key_bytes != 16 && key_bytes != 24 && key_bytes != 32) || spins > 1'000'000) {
    return std::nullopt;
  }
  std::string h = Digest(hash, salt + DefaultPassword());
  for (unsigned i = 0; i < spins; ++i) h = Digest(hash, Le32Bytes(i) + h);
  auto key_for = [&](const char* block_key) {
    return Fit(Digest(hash, h + std::string(block_key, 8)), key_bytes, '\x36');
  };
  const std::string iv = Fit(salt, kAesBlock, '\x36');
  auto decrypt = [&](const char* block_key, const char* attribute) {
    return Aes(key_for(block_key), iv, Base64(encrypted.attribute(attribute).value()), true);
  };
  const std::string input =
      decrypt("\xfe\xa7\xd2\x76\x3b\x4b\x9e\x79", "encryptedVerifierHashInput");
  const std::string value =
      decrypt("\xd7\xaa\x0f\x6d\x30\x61\x34\x4e", "encryptedVerifierHashValue");
  const std::string hashed = Digest(hash, input);
  if (input.empty() || hashed.empty() || value.compare(0, hashed.size(), hashed) != 0) {
    return std::nullopt;  // another password
  }
  std::string key = decrypt("\x14\x6e\x0b\xe7\xab\xac\xd0\xd6", "encryptedKeyValue");
  if (key.size() < key_bytes) return std::nullopt;
  return key.substr(0, key_bytes);
}

std::optional<std::string> DecryptAgile(std::string_view description, std::string_view package) {
  pugi::xml_document doc;
  if (!doc.load_buffer(description.data(), description.size())) return std::nullopt;
  pugi::xml_node root = doc.document_element();
  pugi::xml_node key_data = root.child("keyData");
  pugi::xml_node encrypted;
  for (pugi::xml_node encryptor : root.child("keyEncryptors").children()) {
    for (pugi::xml_node child : encryptor.children()) {
      if (std::strstr(child.name(), "encryptedKey") != nullptr) encrypted = child;
    }
  }
  const EVP_MD* hash = EVP_get_digestbyname(key_data.attribute("hashAlgorithm").value());
  if (!encrypted || hash == nullptr) return std::nullopt;
  std::optional<std::string> key = AgileKey(encrypted);
  if (!key) return std::nullopt;
  const std::string salt = Base64(key_data.attribute("saltValue").value());
  const uint64_t size = U32(package, 0) | static_cast<uint64_t>(U32(package, 4)) << 32;
  std::string out;
  // Segments of 4096 bytes, each with an initial vector of its own.
  for (size_t at = 8, segment = 0; at < package.size(); at += 4096, ++segment) {
    std::string_view piece = package.substr(at, 4096);
    std::string iv =
        Fit(Digest(hash, salt + Le32Bytes(static_cast<uint32_t>(segment))), kAesBlock, '\x36');
    std::string plain = Aes(*key, iv, piece.substr(0, piece.size() / 16 * 16), true);
    if (plain.empty() && !piece.empty()) return std::nullopt;
    out += plain;
  }
  if (out.size() < size) return std::nullopt;
  out.resize(size);
  return out;
}

// The standard encryption of 2007: SHA-1 and AES in ECB mode, the header and verifier binary.
std::optional<std::string> DecryptStandard(std::string_view info, std::string_view package) {
  const size_t header_size = U32(info, 8);
  const size_t verifier = 12 + header_size;
  const size_t key_bytes = U32(info, 12 + 16) / 8;
  if (verifier + 4 + 16 + 16 + 4 + 32 > info.size() || U32(info, verifier) != 16)
    return std::nullopt;
  const std::string salt(info.substr(verifier + 4, 16));
  std::string h = Digest(EVP_sha1(), salt + DefaultPassword());
  for (uint32_t i = 0; i < 50000; ++i) h = Digest(EVP_sha1(), Le32Bytes(i) + h);
  h = Digest(EVP_sha1(), h + Le32Bytes(0));
  std::string inner(64, '\x36'), outer(64, '\x5c');
  for (size_t i = 0; i < h.size(); ++i) {
    inner[i] = static_cast<char>(inner[i] ^ h[i]);
    outer[i] = static_cast<char>(outer[i] ^ h[i]);
  }
  const std::string key =
      (Digest(EVP_sha1(), inner) + Digest(EVP_sha1(), outer)).substr(0, key_bytes);
  const std::string check = Aes(key, {}, info.substr(verifier + 20, 16), false);
  const std::string check_hash = Aes(key, {}, info.substr(verifier + 40, 32), false);
  if (check.empty() || check_hash.compare(0, 20, Digest(EVP_sha1(), check)) != 0) {
    return std::nullopt;
  }
  const uint64_t size = U32(package, 0) | static_cast<uint64_t>(U32(package, 4)) << 32;
  std::string_view body = package.substr(std::min<size_t>(8, package.size()));
  std::string out = Aes(key, {}, body.substr(0, body.size() / 16 * 16), false);
  if (out.size() < size) return std::nullopt;
  out.resize(size);
  return out;
}

// The RC4 stream cipher of the binary formats.
class Rc4 {
 public:
  explicit Rc4(std::string_view key) {
    if (key.empty()) key = std::string_view("\0", 1);
    for (int i = 0; i < 256; ++i) state_[i] = static_cast<uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
      j = (j + state_[i] + static_cast<uint8_t>(key[i % key.size()])) & 0xFF;
      std::swap(state_[i], state_[j]);
    }
  }
  uint8_t Next() {
    i_ = static_cast<uint8_t>(i_ + 1);
    j_ = static_cast<uint8_t>(j_ + state_[i_]);
    std::swap(state_[i_], state_[j_]);
    return state_[static_cast<uint8_t>(state_[i_] + state_[j_])];
  }
  std::string Apply(std::string_view data) {
    std::string out(data);
    for (char& c : out) c = static_cast<char>(c ^ Next());
    return out;
  }

 private:
  std::array<uint8_t, 256> state_{};
  uint8_t i_ = 0, j_ = 0;
};

// The key of each 1024-byte block of an RC4-encrypted workbook stream, from its FILEPASS record
// (the older RC4 with MD5, or RC4 through the system's cryptography with SHA-1); nothing for
// other kinds, or when the default password is not the one.
class BlockKeys {
 public:
  explicit BlockKeys(std::string_view filepass) {
    if (U16(filepass, 0) != 1) return;  // XOR obfuscation
    const uint16_t major = U16(filepass, 2), minor = U16(filepass, 4);
    std::string_view salt, verifier, verifier_hash;
    if (major == 1 && minor == 1) {
      salt = filepass.substr(std::min<size_t>(6, filepass.size()), 16);
      verifier = filepass.substr(std::min<size_t>(22, filepass.size()), 16);
      verifier_hash = filepass.substr(std::min<size_t>(38, filepass.size()), 16);
      std::string h0 = Digest(EVP_md5(), DefaultPassword()).substr(0, 5);
      std::string repeated;
      for (int i = 0; i < 16; ++i) repeated += h0 + std::string(salt);
      base_ = Digest(EVP_md5(), repeated).substr(0, 5);
      md5_ = true;
    } else if (minor == 2 && major >= 2 && major <= 4) {
      const size_t at = 14 + U32(filepass, 10);
      if (at + 60 > filepass.size()) return;
      key_bytes_ = U32(filepass, 14 + 16) / 8;
      if (key_bytes_ == 0) key_bytes_ = 5;  // 40 bits when the size is not given
      if (key_bytes_ > 20) return;
      salt = filepass.substr(at + 4, 16);
      verifier = filepass.substr(at + 20, 16);
      verifier_hash = filepass.substr(at + 40, 20);
      base_ = Digest(EVP_sha1(), std::string(salt) + DefaultPassword());
    } else {
      return;
    }
    if (salt.size() != 16 || verifier.size() != 16 || verifier_hash.size() < 16) return;
    Rc4 check(Key(0));
    const std::string plain = check.Apply(verifier);
    const std::string hash = check.Apply(verifier_hash);
    valid_ = hash == Digest(md5_ ? EVP_md5() : EVP_sha1(), plain).substr(0, hash.size());
  }

  bool valid() const { return valid_; }

  std::string Key(uint32_t block) const {
    if (md5_) return Digest(EVP_md5(), base_ + Le32Bytes(block));
    std::string key = Digest(EVP_sha1(), base_ + Le32Bytes(block)).substr(0, key_bytes_);
    // A 40-bit key is used as 128 bits with zeros after it.
    if (key_bytes_ == 5) key.resize(16, '\0');
    return key;
  }

 private:
  std::string base_;
  size_t key_bytes_ = 16;
  bool md5_ = false;
  bool valid_ = false;
};

// Records whose data stays plain in an encrypted stream: BOF, FILEPASS, USREXCL, FILELOCK,
// INTERFACEHDR, RRDINFO and RRDHEAD.
bool StaysPlain(uint16_t type) {
  switch (type) {
    case 0x0809:
    case 0x002F:
    case 0x0194:
    case 0x0195:
    case 0x00E1:
    case 0x0196:
    case 0x0138:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<std::string> DecryptPackage(const CompoundFile& file) {
  std::optional<std::string> info = file.Stream(u"EncryptionInfo");
  std::optional<std::string> package = file.Stream(u"EncryptedPackage");
  if (!info || !package || info->size() < 8) return std::nullopt;
  const uint16_t major = U16(*info, 0), minor = U16(*info, 2);
  if (major == 4 && minor == 4) return DecryptAgile(std::string_view(*info).substr(8), *package);
  if ((major == 3 || major == 4) && minor == 2) return DecryptStandard(*info, *package);
  return std::nullopt;
}

bool DecryptWorkbookStream(std::string& stream) {
  size_t at = 0;
  while (at + 4 <= stream.size() && U16(stream, at) != 0x002F) at += 4 + U16(stream, at + 2);
  if (at + 4 > stream.size()) return false;
  const BlockKeys keys(std::string_view(stream).substr(at + 4, U16(stream, at + 2)));
  if (!keys.valid()) return false;
  // The cipher runs over the stream's positions, record headers included; each block of 1024
  // bytes has a key of its own.
  std::optional<Rc4> cipher;
  uint32_t block = 0;
  size_t position = 0;  // of the cipher within its block
  auto decrypt = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (!cipher || i / 1024 != block) {
        block = static_cast<uint32_t>(i / 1024);
        cipher.emplace(keys.Key(block));
        position = block * size_t{1024};
      }
      while (position < i) {
        cipher->Next();
        ++position;
      }
      stream[i] = static_cast<char>(stream[i] ^ cipher->Next());
      ++position;
    }
  };
  at += 4 + U16(stream, at + 2);
  while (at + 4 <= stream.size()) {
    const uint16_t type = U16(stream, at);
    const size_t end = std::min(stream.size(), at + 4 + U16(stream, at + 2));
    if (!StaysPlain(type)) decrypt(at + 4 + (type == 0x0085 ? 4 : 0), end);
    at = end;
  }
  return true;
}

}  // namespace vintrel::host::workbook
