#include "crypt/vlcrypt.h"

namespace vellorax::crypt {

TVLCrypt::TVLCrypt() {
  blowfish_.SetCipherMode(TCipherMode::ECB);
  blowfish_.SetStringMode(TStringMode::smEncode);
}

std::string TVLCrypt::Encrypt(std::string_view plain) {
  TBurnOnExit burn(blowfish_);
  blowfish_.InitIV(kVLCryptIV);
  blowfish_.InitKey(kVLCryptKey);
  return blowfish_.EncryptString(plain);
}

std::string TVLCrypt::Decrypt(std::string_view cipher) {
  TBurnOnExit burn(blowfish_);
  blowfish_.InitKey(kVLCryptKey);
  blowfish_.InitIV(kVLCryptIV);
  return blowfish_.DecryptString(cipher);
}

}  // namespace vellorax::crypt
