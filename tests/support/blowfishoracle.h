// blowfishoracle: an independent Blowfish-ECB (nettle) and Base64 for tests that check what
// the engine enciphers; header-only so that only the tests including it link nettle.
#pragma once

#include <nettle/blowfish.h>

#include <cstdint>
#include <string>
#include <vector>

namespace oracle {

inline std::vector<uint8_t> Base64Decode(const std::string& text)
{
  static const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') {
      break;
    }
    size_t value = kDigits.find(c);
    if (value == std::string::npos) {
      return {};
    }
    bits = (bits << 6) | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<uint8_t>(bits >> count));
    }
  }
  return out;
}

inline std::string Base64Encode(const std::vector<uint8_t>& bytes)
{
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = uint32_t(bytes[i]) << 16;
    if (i + 1 < bytes.size())
      group |= uint32_t(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size())
      group |= bytes[i + 2];
    out += kDigits[(group >> 18) & 63];
    out += kDigits[(group >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return out;
}

// Percent codes for the three Base64 characters that are not plain in a form value.
inline std::string FormEncodeBase64(const std::string& text)
{
  std::string out;
  for (char c : text) {
    if (c == '+')
      out += "%2B";
    else if (c == '/')
      out += "%2F";
    else if (c == '=')
      out += "%3D";
    else
      out += c;
  }
  return out;
}

inline std::string PercentDecode(const std::string& text)
{
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The cipher the engine makes of a 12-character key: its last three characters are "AAA"
// and the Base64 decoding gives 9 key bytes.
class TBlowfishOracle
{
public:
  explicit TBlowfishOracle(std::string key)
  {
    key = (key + "AAAAAAAAAAAA").substr(0, 12);
    key.replace(9, 3, "AAA");
    std::vector<uint8_t> bytes = Base64Decode(key);
    bytes.resize(9, 0);
    blowfish_set_key(&mContext, bytes.size(), bytes.data());
  }
  explicit TBlowfishOracle(const std::vector<uint8_t>& rawKey)
  {
    blowfish_set_key(&mContext, rawKey.size(), rawKey.data());
  }

  std::vector<uint8_t> EncryptBlocks(const std::vector<uint8_t>& data) const
  {
    std::vector<uint8_t> out(data.size());
    blowfish_encrypt(&mContext, data.size(), out.data(), data.data());
    return out;
  }
  // Pads with p bytes of value p and enciphers, as the engine does.
  std::vector<uint8_t> EncryptPadded(const std::string& text) const
  {
    std::vector<uint8_t> plain(text.begin(), text.end());
    uint8_t pad = static_cast<uint8_t>(8 - plain.size() % 8);
    plain.insert(plain.end(), pad, pad);
    return EncryptBlocks(plain);
  }
  // Deciphers whole blocks; false when the size is not a multiple of 8.
  bool DecryptBlocks(const std::vector<uint8_t>& data, std::vector<uint8_t>* out) const
  {
    if (data.size() % 8 != 0) {
      return false;
    }
    out->resize(data.size());
    blowfish_decrypt(&mContext, data.size(), out->data(), data.data());
    return true;
  }
  // Deciphers and removes the p bytes of value p; false when the padding is not sound.
  bool DecryptPadded(const std::vector<uint8_t>& data, std::vector<uint8_t>* out) const
  {
    if (data.empty() || !DecryptBlocks(data, out)) {
      return false;
    }
    uint8_t pad = out->back();
    if (pad < 1 || pad > 8) {
      return false;
    }
    for (size_t i = out->size() - pad; i < out->size(); ++i) {
      if ((*out)[i] != pad) {
        return false;
      }
    }
    out->resize(out->size() - pad);
    return true;
  }

private:
  blowfish_ctx mContext;
};

} // namespace oracle
