// vellorax crypt: the Crypt object's string cipher on the command line.
#include <cstdio>
#include <string>
#include <string_view>

#include "common/charset.h"
#include "crypt/vlcrypt.h"
#include "subcommands.h"

namespace vellorax::tool {

namespace {

constexpr const char* kCryptHelp =
    "usage: vellorax crypt encrypt TEXT\n"
    "       vellorax crypt decrypt TEXT\n"
    "\n"
    "Encrypts a plain string into ciphertext text, or decrypts such text, with\n"
    "the Crypt object's cipher (Blowfish, fixed key). With TEXT \"-\" the text is\n"
    "read from standard input, without its final line break.\n"
    "\n"
    "TEXT and the output are UTF-8; the cipher works on Windows-1252 (or\n"
    "VELLORAX_CODEPAGE) bytes, as the Crypt object does: characters the code page\n"
    "lacks become \"?\" before encryption.\n";

bool ReadStdin(std::string& out) {
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) out.append(buffer, n);
  if (std::ferror(stdin)) return false;
  if (!out.empty() && out.back() == '\n') out.pop_back();
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return true;
}

int Usage(const char* problem) {
  std::fprintf(stderr, "vellorax crypt: %s\n\n%s", problem, kCryptHelp);
  return 2;
}

}  // namespace

int CryptMain(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    std::fputs(kCryptHelp, stdout);
    return 0;
  }
  if (argc != 3) return Usage("expected an action and one TEXT");
  const std::string_view action = argv[1];
  if (action != "encrypt" && action != "decrypt") return Usage("the action is encrypt or decrypt");

  std::string text = argv[2];
  if (text == "-") {
    text.clear();
    if (!ReadStdin(text)) {
      std::fprintf(stderr, "vellorax crypt: cannot read standard input\n");
      return 1;
    }
  }

  std::string result;
  try {
    crypt::TVLCrypt cipher;
    const std::string bytes = common::Utf8ToAnsi(text);
    result = action == "encrypt" ? cipher.Encrypt(bytes) : cipher.Decrypt(bytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vellorax crypt: %s\n", e.what());
    return 1;
  }
  result = common::AnsiToUtf8(result);
  result += '\n';
  std::fwrite(result.data(), 1, result.size(), stdout);
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "vellorax crypt: cannot write output\n");
    return 1;
  }
  return 0;
}

}  // namespace vellorax::tool
