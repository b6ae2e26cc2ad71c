#include "ServicesTestUtil.h"

#include <fstream>
#include <iterator>

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string PathIn(const QTemporaryDir& dir, const std::string& name) {
  return dir.path().toStdString() + "/" + name;
}
