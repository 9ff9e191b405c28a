// What the system knows of services: their keys, the load-order groups,
// the installed services and the running services that depend on one.
#pragma once

#include <windows.h>

// List kind of ReadServiceGroupOrder: 0 a combo box, anything else a list box.
constexpr int GroupListCombo = 0;
constexpr int GroupListBox = 1;

// Adds the load-order groups, in stored order, to a combo box or list box.
// Each list takes only the names that a settings field holds exactly.
void ReadServiceGroupOrder(HWND list, int listKind);

// Adds the name of every subkey of the services key to a list box.
void ListInstalledServices(HWND list);

// The running services that depend on keyName, in the order in which they
// must stop, as a double-NUL list in names (LongFieldSize bytes); false when
// there are none. A name the program's code page cannot hold exactly is
// left out: stopping a look-alike would stop another service.
bool ActiveDependents(const char *keyName, char *names);

// Whether group is in the service group order or some service's group.
bool GroupKnown(const WCHAR *group);
// Whether Windows marked the service for deletion: it keeps "DeleteFlag"
// in its key.
bool DeleteFlagSet(const char *keyName);

// When the service's key was last written; false when it has none.
bool ServiceKeyWritten(const char *keyName, FILETIME *written);

// Opens the service's key with only the access asked for.
LONG OpenServiceKey(const char *keyName, REGSAM access, HKEY *key);

// The opens of registry keys, whose access rights Wine never refuses. The
// program uses the platform's own; tests may point this elsewhere.
struct RegistryCalls {
    decltype(&RegOpenKeyExA) openKey;
};
extern RegistryCalls registryCalls;
