// velmora-mkdb OUT.db SCRIPT.sql...: builds a database file from SQL text sources, so no binary
// database is ever kept in the repository. The file is written under a temporary name and
// renamed into place, so a failed build never leaves a half-made database behind.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: velmora-mkdb OUT.db SCRIPT.sql...\n");
    return 2;
  }
  const std::string out = argv[1];
  const std::string tmp = out + ".tmp";
  std::remove(tmp.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(tmp.c_str(), &db) != SQLITE_OK) {
    std::fprintf(stderr, "velmora-mkdb: cannot create %s: %s\n", tmp.c_str(), sqlite3_errmsg(db));
    return 1;
  }
  sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "velmora-mkdb: cannot read %s\n", argv[i]);
      sqlite3_close(db);
      std::remove(tmp.c_str());
      return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    char* error = nullptr;
    const std::string script = "BEGIN;\n" + text.str() + "\nCOMMIT;";
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::fprintf(stderr, "velmora-mkdb: %s: %s\n", argv[i], error ? error : "error");
      sqlite3_free(error);
      sqlite3_close(db);
      std::remove(tmp.c_str());
      return 1;
    }
  }
  sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  if (std::rename(tmp.c_str(), out.c_str()) != 0) {
    std::perror("velmora-mkdb: rename");
    return 1;
  }
  return 0;
}
