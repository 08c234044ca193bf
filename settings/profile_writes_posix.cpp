// The writes of a settings save elsewhere: the file is read once, every
// write changes its document in UTF-16, and the file is replaced once, whole.
#include "settings/profile_writes.h"
#include "settings/profile_file.h"
#include "settings/profile_reads.h"

namespace {

ProfileDocument g_document;
bool g_writable;                        // the file may be replaced
bool g_changed;                         // a write changed the document

}  // namespace

void BeginProfileWrites(const ProfileNames* names)
{
    g_writable = LoadProfileDocument(names->path, SettingsFileLimit, &g_document, nullptr, MarklessUtf8OrAnsi) !=
                     nullptr &&
                 ProfileFileWritable(names->path);
    g_changed = false;
}

void WriteProfileValue(const ProfileNames* names, SettingKey key, const char* value)
{
    if (SetProfileText(&g_document, names->section, names->keys[key], Utf8ToText(value)))
        g_changed = true;
}

void EndProfileWrites(const ProfileNames* names)
{
    if (g_writable && g_changed)
        ReplaceProfileFile(names->path, SerializeProfileForAnyText(g_document));
    g_document = ProfileDocument();
}
