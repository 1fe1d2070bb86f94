/* The image's load configuration, for one field: the dependent-load flags. Windows 10 1607 and
 * later resolve the image's own imports, and theirs, with these flags; searching only the system
 * folder means a DLL planted beside the program (on a disc or in a download folder others can
 * write) is never loaded in place of a system DLL before the program's first line runs, which is
 * where SetDefaultDllDirectories cannot help yet. Side-by-side assemblies (the common controls)
 * are still found through the manifest. Older Windows ignore the field (it was reserved).
 *
 * GNU ld does not point the image's load-configuration directory at this structure; the build does
 * that after linking (cmake/set-load-config.sh), by this name. The 32-bit structure is used only up
 * to its first 64 bytes, the size Windows XP requires, which leaves out the safe exception handler
 * table this image does not have. */
#include <windows.h>

#ifdef _WIN64
#define TAVELIN_LOAD_CONFIG_SIZE sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64)
#else
#define TAVELIN_LOAD_CONFIG_SIZE 64
#endif

/* The field is called Reserved1 in the headers of this tool chain and DependentLoadFlags in newer
 * ones; LOAD_LIBRARY_SEARCH_SYSTEM32. */
const IMAGE_LOAD_CONFIG_DIRECTORY tavelin_load_config = {
    .Size = TAVELIN_LOAD_CONFIG_SIZE,
    .Reserved1 = 0x00000800,
};
