// Failures made on the host: an immutable file, a full disk.
#include "tests/support/host_files.h"

namespace testing_support {

ImmutableFile::ImmutableFile(const std::string& windowsPath) : unix_(UnixPath(windowsPath)) {
  ok_ = !unix_.empty() && RunHost("chattr +i '" + unix_ + "'");
}

ImmutableFile::~ImmutableFile() {
  if (!unix_.empty()) RunHost("chattr -i '" + unix_ + "'");
}

FullDisk::FullDisk(const std::string& windowsFolder, unsigned freeBytes) : unix_(UnixPath(windowsFolder)) {
  if (unix_.empty() || !RunHost("mount -t tmpfs -o size=256k tmpfs '" + unix_ + "'")) {
    unix_.clear();
    return;
  }
  // tmpfs counts whole pages: the room left is freeBytes rounded down to a page.
  ok_ = RunHost("head -c " + std::to_string(256 * 1024 - freeBytes) + " /dev/zero > '" + unix_ + "/fill'");
}

FullDisk::~FullDisk() {
  if (!unix_.empty()) RunHost("umount '" + unix_ + "'");
}

}  // namespace testing_support
