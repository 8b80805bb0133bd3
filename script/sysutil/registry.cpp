// Registry values as text.
#include "script/sysutil/sysutil.h"

bool RegReadString(HKEY root, const char* key, const char* value, DWORD size, char* buffer) {
  if (!buffer || size == 0) return false;
  buffer[0] = '\0';
  HKEY handle;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
  DWORD length = size;
  LONG status = RegQueryValueExA(handle, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(handle);
  // Stored data need not end with a terminator: data that fills the whole buffer fits only
  // when its last byte is one.
  if (status != ERROR_SUCCESS || length > size || (length == size && buffer[size - 1] != '\0')) {
    buffer[0] = '\0';
    return false;
  }
  buffer[length < size ? length : size - 1] = '\0';
  return true;
}

bool DeleteRegistryTree(HKEY key) {
  char name[256];
  for (;;) {
    DWORD length = sizeof name;
    LONG status = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    HKEY child;
    if (RegOpenKeyExA(key, name, 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &child) != ERROR_SUCCESS)
      return false;
    bool emptied = DeleteRegistryTree(child);
    RegCloseKey(child);
    // Subkey 0 is taken again on every turn: one that cannot go ends the walk.
    if (!emptied || RegDeleteKeyA(key, name) != ERROR_SUCCESS) return false;
  }
}
