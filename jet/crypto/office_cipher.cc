#include "jet/crypto/office_cipher.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "jet/header.h"
#include "jet/io/byte_source.h"
#include "jet/rc4.h"
#include "jet/text_codec.h"

namespace jet {

namespace {

using Buffer = std::vector<uint8_t>;

constexpr size_t kMaxPasswordChars = 255;
constexpr uint32_t kFlagCryptoApi = 0x04;
constexpr uint32_t kFlagAes = 0x20;
constexpr uint32_t kAlgRc4 = 0x6801;
constexpr uint32_t kAlgSha1 = 0x8004;
constexpr uint16_t kAgileReserved = 0x40;
// Block keys that separate the agile scheme's derived keys.
constexpr uint8_t kBlockVerifierInput[8] = {0xfe, 0xa7, 0xd2, 0x76, 0x3b, 0x4b, 0x9e, 0x79};
constexpr uint8_t kBlockVerifierValue[8] = {0xd7, 0xaa, 0x0f, 0x6d, 0x30, 0x61, 0x34, 0x4e};
constexpr uint8_t kBlockKeyValue[8] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};
// A spin count beyond this is not something Access writes; refusing it keeps
// a damaged header from stalling the open for hours.
constexpr uint32_t kMaxSpinCount = 10'000'000;

Status BadPassword() { return Status::BadPassword("Not a valid password."); }

Buffer PasswordBytes(const std::string& password) {
  std::string utf16 = Utf8ToUtf16Le(password);
  if (utf16.size() > 2 * kMaxPasswordChars) utf16.resize(2 * kMaxPasswordChars);
  return Buffer(utf16.begin(), utf16.end());
}

// `n` bytes of `b`: cut, or padded with `pad`.
Buffer Fit(Buffer b, size_t n, uint8_t pad = 0) {
  b.resize(n, pad);
  return b;
}

Buffer LittleEndian32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

class Hasher {
 public:
  explicit Hasher(const EVP_MD* md) : md_(md), ctx_(EVP_MD_CTX_new()) {}
  ~Hasher() { EVP_MD_CTX_free(ctx_); }
  Hasher(const Hasher&) = delete;
  Hasher& operator=(const Hasher&) = delete;

  // The digest of the concatenated parts.
  Buffer Of(std::initializer_list<ByteView> parts) {
    Buffer out(EVP_MD_get_size(md_));
    unsigned int n = 0;
    EVP_DigestInit_ex(ctx_, md_, nullptr);
    for (ByteView p : parts) EVP_DigestUpdate(ctx_, p.data, p.size);
    EVP_DigestFinal_ex(ctx_, out.data(), &n);
    out.resize(n);
    return out;
  }

 private:
  const EVP_MD* md_;
  EVP_MD_CTX* ctx_;
};

ByteView V(const Buffer& b) { return ByteView{b.data(), b.size()}; }

const EVP_MD* DigestNamed(std::string_view name) {
  if (name == "SHA1") return EVP_sha1();
  if (name == "SHA256") return EVP_sha256();
  if (name == "SHA384") return EVP_sha384();
  if (name == "SHA512") return EVP_sha512();
  if (name == "MD5") return EVP_md5();
  return nullptr;
}

const EVP_CIPHER* AesCbc(size_t key_bytes) {
  switch (key_bytes) {
    case 16: return EVP_aes_128_cbc();
    case 24: return EVP_aes_192_cbc();
    case 32: return EVP_aes_256_cbc();
    default: return nullptr;
  }
}

// AES-CBC decryption without padding of whole blocks; `data` keeps any
// trailing partial block as it is. False when OpenSSL refuses.
bool AesDecrypt(const Buffer& key, const Buffer& iv, uint8_t* data, size_t n) {
  const EVP_CIPHER* cipher = AesCbc(key.size());
  if (cipher == nullptr || iv.size() < 16) return false;
  n -= n % 16;
  if (n == 0) return true;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  int out = 0, fin = 0;
  bool ok = EVP_DecryptInit_ex(ctx, cipher, nullptr, key.data(), iv.data()) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
            EVP_DecryptUpdate(ctx, data, &out, data, static_cast<int>(n)) == 1 &&
            EVP_DecryptFinal_ex(ctx, data + out, &fin) == 1;
  EVP_CIPHER_CTX_free(ctx);
  return ok;
}

// AES-CBC encryption without padding; `n` must be a whole number of blocks.
bool AesEncrypt(const Buffer& key, const Buffer& iv, uint8_t* data, size_t n) {
  const EVP_CIPHER* cipher = AesCbc(key.size());
  if (cipher == nullptr || iv.size() < 16 || n % 16 != 0) return false;
  if (n == 0) return true;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  int out = 0, fin = 0;
  bool ok = ctx != nullptr &&
            EVP_EncryptInit_ex(ctx, cipher, nullptr, key.data(), iv.data()) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
            EVP_EncryptUpdate(ctx, data, &out, data, static_cast<int>(n)) == 1 &&
            EVP_EncryptFinal_ex(ctx, data + out, &fin) == 1;
  EVP_CIPHER_CTX_free(ctx);
  return ok;
}

// ---- RC4 through CryptoAPI (description versions 2.2, 3.2, 4.2) ----

class Rc4CryptoApiCipher : public PageCipher {
 public:
  Rc4CryptoApiCipher(Buffer base, size_t key_bytes, uint32_t office_key)
      : base_(std::move(base)), key_bytes_(key_bytes), office_key_(office_key) {}

  // The RC4 key of one block (a page number mixed with the header key).
  Buffer Key(uint32_t block) const {
    Hasher sha1(EVP_sha1());
    Buffer b = LittleEndian32(block);
    Buffer k = Fit(sha1.Of({V(base_), V(b)}), key_bytes_);
    // 40-bit keys are used as 128-bit keys whose last bytes are zero.
    if (key_bytes_ == 5) k.resize(16, 0);
    return k;
  }

  void Decode(uint32_t page, uint8_t* data, size_t size) const override {
    Buffer k = Key(page ^ office_key_);
    Rc4Apply(k.data(), k.size(), data, size);
  }
  bool Encode(uint32_t page, uint8_t* data, size_t size) const override {
    Decode(page, data, size);  // a stream cipher is its own inverse
    return true;
  }

 private:
  Buffer base_;
  size_t key_bytes_;
  uint32_t office_key_;
};

struct Rc4Description {
  uint32_t key_bits = 0;
  ByteView salt, verifier, verifier_hash;
  uint32_t verifier_hash_size = 0;
};

Result<Rc4Description> ParseRc4(ByteView info, const std::string& file) {
  auto bad = [&](const std::string& what) {
    return Status::Corruption(file + ": Office encryption description: " + what);
  };
  if (!info.In(8, 4)) return bad("truncated");
  uint32_t flags = info.U32(4);
  if (!(flags & kFlagCryptoApi)) return bad("neither CryptoAPI nor agile");
  if (flags & kFlagAes) {
    return Status::NotSupported(file + ": standard AES Office encryption is not supported");
  }
  uint32_t header_size = info.U32(8);
  if (header_size < 32 || !info.In(12, header_size)) return bad("header size out of range");
  ByteView h = info.Sub(12, header_size);
  uint32_t alg = h.U32(8), hash = h.U32(12);
  Rc4Description d;
  d.key_bits = h.U32(16);
  if ((alg != kAlgRc4 && alg != 0) || (hash != kAlgSha1 && hash != 0)) {
    return Status::NotSupported(file + ": Office encryption with algorithm " +
                                std::to_string(alg) + " is not supported");
  }
  if (d.key_bits == 0) d.key_bits = 40;
  if (d.key_bits < 40 || d.key_bits > 128 || d.key_bits % 8 != 0) {
    return bad("RC4 key of " + std::to_string(d.key_bits) + " bits");
  }
  size_t pos = 12 + size_t{header_size};
  if (!info.In(pos, 4 + 16 + 16 + 4 + 20) || info.U32(pos) != 16) {
    return bad("verifier truncated or salt not 16 bytes");
  }
  d.salt = info.Sub(pos + 4, 16);
  d.verifier = info.Sub(pos + 20, 16);
  d.verifier_hash_size = info.U32(pos + 36);
  d.verifier_hash = info.Sub(pos + 40, 20);
  if (d.verifier_hash_size > 20) return bad("verifier hash longer than SHA-1");
  return d;
}

Result<std::unique_ptr<PageCipher>> OpenRc4(ByteView info, uint32_t office_key,
                                            const std::string& password, const std::string& file) {
  JET_ASSIGN_OR_RETURN(Rc4Description d, ParseRc4(info, file));
  Buffer pw = PasswordBytes(password);
  Hasher sha1(EVP_sha1());
  auto cipher = std::make_unique<Rc4CryptoApiCipher>(sha1.Of({d.salt, V(pw)}), d.key_bits / 8,
                                                     office_key);
  // The verifier and its hash are one RC4 stream under block 0's key.
  Buffer stream(16 + 20);
  std::copy_n(d.verifier.data, 16, stream.begin());
  std::copy_n(d.verifier_hash.data, 20, stream.begin() + 16);
  Buffer k = cipher->Key(0);
  Rc4Apply(k.data(), k.size(), stream.data(), stream.size());
  Buffer expect = sha1.Of({ByteView{stream.data(), 16}});
  if (!std::equal(expect.begin(), expect.begin() + d.verifier_hash_size, stream.begin() + 16)) {
    return BadPassword();
  }
  return std::unique_ptr<PageCipher>(std::move(cipher));
}

// ---- Agile (description version 4.4) ----

// The value of attribute `name` in the first element named `element` of `xml`.
std::string Attribute(std::string_view xml, std::string_view element, std::string_view name) {
  size_t start = xml.find("<" + std::string(element) + " ");
  if (start == std::string_view::npos) return "";
  size_t end = xml.find('>', start);
  std::string_view tag = xml.substr(start, end == std::string_view::npos ? end : end - start);
  std::string key = " " + std::string(name) + "=\"";
  size_t at = tag.find(key);
  if (at == std::string_view::npos) return "";
  at += key.size();
  size_t close = tag.find('"', at);
  if (close == std::string_view::npos) return "";
  return std::string(tag.substr(at, close - at));
}

bool Base64(const std::string& text, Buffer* out) {
  if (text.empty() || text.size() % 4 != 0) return false;
  out->assign(text.size() / 4 * 3, 0);
  int n = EVP_DecodeBlock(out->data(), reinterpret_cast<const unsigned char*>(text.data()),
                          static_cast<int>(text.size()));
  if (n < 0) return false;
  size_t pad = text.size() - text.find_last_not_of('=') - 1;
  out->resize(static_cast<size_t>(n) - std::min<size_t>(pad, 2));
  return true;
}

bool Number(const std::string& text, uint32_t* out) {
  if (text.empty() || text.size() > 9) return false;
  uint32_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  *out = v;
  return true;
}

// One key description of the XML: the file's key data or the password's key.
struct AgileKey {
  const EVP_MD* digest = nullptr;
  uint32_t key_bits = 0;
  uint32_t block_size = 0;
  uint32_t spin_count = 0;
  Buffer salt;
  Buffer encrypted_key, verifier_input, verifier_value;  // password key only
};

Result<AgileKey> ParseAgileKey(std::string_view xml, std::string_view element, bool password_key,
                               const std::string& file) {
  auto bad = [&](const std::string& what) {
    return Status::Corruption(file + ": Office encryption description: " + std::string(element) +
                              ": " + what);
  };
  auto attr = [&](std::string_view name) { return Attribute(xml, element, name); };
  AgileKey k;
  std::string hash = attr("hashAlgorithm");
  k.digest = DigestNamed(hash);
  if (k.digest == nullptr) return bad("unknown hash algorithm '" + hash + "'");
  if (attr("cipherAlgorithm") != "AES" || attr("cipherChaining") != "ChainingModeCBC") {
    return Status::NotSupported(file + ": Office encryption with " + attr("cipherAlgorithm") +
                                " " + attr("cipherChaining") + " is not supported");
  }
  if (!Number(attr("keyBits"), &k.key_bits) || AesCbc(k.key_bits / 8) == nullptr ||
      k.key_bits % 8 != 0) {
    return bad("key size '" + attr("keyBits") + "'");
  }
  if (!Number(attr("blockSize"), &k.block_size) || k.block_size != 16) {
    return bad("block size '" + attr("blockSize") + "'");
  }
  if (!Base64(attr("saltValue"), &k.salt) || k.salt.size() < 16) return bad("salt");
  if (password_key) {
    if (!Number(attr("spinCount"), &k.spin_count) || k.spin_count > kMaxSpinCount) {
      return bad("spin count '" + attr("spinCount") + "'");
    }
    if (!Base64(attr("encryptedKeyValue"), &k.encrypted_key) ||
        !Base64(attr("encryptedVerifierHashInput"), &k.verifier_input) ||
        !Base64(attr("encryptedVerifierHashValue"), &k.verifier_value) ||
        k.encrypted_key.size() < k.key_bits / 8 || k.encrypted_key.size() % 16 != 0 ||
        k.verifier_input.size() % 16 != 0 || k.verifier_value.size() % 16 != 0 ||
        k.verifier_input.empty() || k.verifier_value.empty()) {
      return bad("encrypted key or verifier");
    }
  }
  return k;
}

struct AgileDescription {
  AgileKey data, password;
};

Result<AgileDescription> ParseAgile(ByteView info, const std::string& file) {
  if (!info.In(4, 4) || info.U16(4) != kAgileReserved) {
    return Status::Corruption(file + ": Office encryption description: agile header reserved "
                              "field is not 0x40");
  }
  std::string_view xml(reinterpret_cast<const char*>(info.data) + 8, info.size - 8);
  AgileDescription d;
  JET_ASSIGN_OR_RETURN(d.data, ParseAgileKey(xml, "keyData", false, file));
  JET_ASSIGN_OR_RETURN(d.password, ParseAgileKey(xml, "p:encryptedKey", true, file));
  return d;
}

class AgileCipher : public PageCipher {
 public:
  AgileCipher(AgileKey data, Buffer secret, uint32_t office_key)
      : data_(std::move(data)), secret_(std::move(secret)), office_key_(office_key) {}

  void Decode(uint32_t page, uint8_t* bytes, size_t size) const override {
    // A failure here leaves the page as read; the page checks that follow
    // report it as damaged.
    (void)AesDecrypt(secret_, PageIv(page), bytes, size);
  }
  bool Encode(uint32_t page, uint8_t* bytes, size_t size) const override {
    return AesEncrypt(secret_, PageIv(page), bytes, size);
  }

 private:
  // Each page has its own IV: the key data's salt hashed with the page's block key.
  Buffer PageIv(uint32_t page) const {
    Hasher h(data_.digest);
    Buffer block = LittleEndian32(page ^ office_key_);
    return Fit(h.Of({V(data_.salt), V(block)}), data_.block_size);
  }

  AgileKey data_;
  Buffer secret_;
  uint32_t office_key_;
};

// The password's key for one purpose (`block`), spun `spin_count` times.
Buffer DeriveKey(const AgileKey& k, const Buffer& password, const uint8_t block[8]) {
  Hasher h(k.digest);
  Buffer hash = h.Of({V(k.salt), V(password)});
  for (uint32_t i = 0; i < k.spin_count; ++i) {
    Buffer counter = LittleEndian32(i);
    hash = h.Of({V(counter), V(hash)});
  }
  hash = h.Of({V(hash), ByteView{block, 8}});
  return Fit(std::move(hash), k.key_bits / 8, 0x36);
}

Buffer DecryptWith(const AgileKey& k, const Buffer& key, Buffer data) {
  AesDecrypt(key, Fit(k.salt, k.block_size), data.data(), data.size());
  return data;
}

Result<std::unique_ptr<PageCipher>> OpenAgile(ByteView info, uint32_t office_key,
                                              const std::string& password,
                                              const std::string& file) {
  JET_ASSIGN_OR_RETURN(AgileDescription d, ParseAgile(info, file));
  const AgileKey& p = d.password;
  Buffer pw = PasswordBytes(password);
  Buffer input = DecryptWith(p, DeriveKey(p, pw, kBlockVerifierInput), p.verifier_input);
  Buffer value = DecryptWith(p, DeriveKey(p, pw, kBlockVerifierValue), p.verifier_value);
  Hasher h(p.digest);
  Buffer expect = h.Of({ByteView{input.data(), std::min<size_t>(input.size(), p.salt.size())}});
  if (value.size() < expect.size() || !std::equal(expect.begin(), expect.end(), value.begin())) {
    return BadPassword();
  }
  Buffer secret = DecryptWith(p, DeriveKey(p, pw, kBlockKeyValue), p.encrypted_key);
  secret.resize(d.data.key_bits / 8);
  return std::unique_ptr<PageCipher>(
      std::make_unique<AgileCipher>(std::move(d.data), std::move(secret), office_key));
}

// The description's bytes and version, or Corruption.
Result<ByteView> Description(ByteView page0, const std::string& file, uint16_t* major,
                             uint16_t* minor) {
  if (!page0.In(kOfficeCryptoOffset, 2)) {
    return Status::Corruption(file + ": page 0 too short for its encryption description");
  }
  size_t length = page0.U16(kOfficeCryptoOffset);
  if (length < 8 || !page0.In(kOfficeCryptoOffset + 2, length)) {
    return Status::Corruption(file + ": encryption description of " + std::to_string(length) +
                              " bytes does not fit page 0");
  }
  ByteView info = page0.Sub(kOfficeCryptoOffset + 2, length);
  *major = info.U16(0);
  *minor = info.U16(2);
  return info;
}

}  // namespace

Result<std::unique_ptr<PageCipher>> OpenOfficeCipher(ByteView page0, uint32_t office_key,
                                                     const std::string& password,
                                                     const std::string& file) {
  uint16_t major = 0, minor = 0;
  JET_ASSIGN_OR_RETURN(ByteView info, Description(page0, file, &major, &minor));
  if (major == 4 && minor == 4) return OpenAgile(info, office_key, password, file);
  if ((major == 2 || major == 3 || major == 4) && minor == 2) {
    return OpenRc4(info, office_key, password, file);
  }
  return Status::NotSupported(file + ": Office encryption version " + std::to_string(major) + "." +
                              std::to_string(minor) + " is not supported");
}

Status CheckOfficeCryptoHeader(ByteView page0, const std::string& file) {
  uint16_t major = 0, minor = 0;
  JET_ASSIGN_OR_RETURN(ByteView info, Description(page0, file, &major, &minor));
  if (major == 4 && minor == 4) return ParseAgile(info, file).status();
  if ((major == 2 || major == 3 || major == 4) && minor == 2) return ParseRc4(info, file).status();
  return Status::NotSupported(file + ": Office encryption version " + std::to_string(major) + "." +
                              std::to_string(minor) + " is not supported");
}

}  // namespace jet

namespace jet {

Result<std::shared_ptr<const PageCipher>> UnlockPages(const ByteSource& source,
                                                      const Header& header,
                                                      const std::string& password) {
  if (header.office_key == 0) {
    JET_RETURN_IF_ERROR(CheckPassword(header, password));
    return std::shared_ptr<const PageCipher>();
  }
  std::vector<uint8_t> page0(header.format->page_size);
  if (source.size() < page0.size()) {
    return Status::Corruption(source.name() + ": too short to hold its encryption description");
  }
  JET_RETURN_IF_ERROR(source.ReadAt(0, page0.size(), page0.data()));
  JET_ASSIGN_OR_RETURN(auto cipher, OpenOfficeCipher(ByteView{page0.data(), page0.size()},
                                                     header.office_key, password, source.name()));
  return std::shared_ptr<const PageCipher>(std::move(cipher));
}

}  // namespace jet
