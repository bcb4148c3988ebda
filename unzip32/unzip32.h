/* The Quillset unzip engine, libunzip32.so: the call interface the update agent loads by name.
 *
 * Texts crossing this interface are NUL-terminated 8-bit text. The archive path and the
 * extraction folder are host paths in the file system's own encoding (UTF-8), used byte for byte,
 * so every folder the host allows can be named ("\" is an ordinary character there and no drive
 * letter is resolved; callers resolve Windows-style texts first). The texts shown to the caller
 * are Windows-1252, the products' fixed system code page: entry names handed to the callbacks
 * and the messages, "?" standing for any character the code page lacks. Name patterns are
 * Windows-1252 too. Passwords are used as the bytes the password callback wrote.
 */
#ifndef QUILLSET_UNZIP32_H
#define QUILLSET_UNZIP32_H

#include <stdint.h>

#if defined(__GNUC__)
#define UZ_EXPORT __attribute__((visibility("default")))
#else
#define UZ_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of Wiz_SingleEntryUnzip. When an unpack meets several kinds of trouble it answers
 * the most serious one, in this order from the top: argument, no archive, cancelled, disk,
 * bad archive, bad password, refused, warning. */
enum {
    UZ_OK = 0,           /* every selected entry was handled */
    UZ_WARNING = 1,      /* done, but a time or permission could not be restored */
    UZ_BAD_ARCHIVE = 2,  /* corrupt, truncated or unsupported data (CRC, method, structure) */
    UZ_BAD_PASSWORD = 3, /* an encrypted entry was skipped: wrong password or none given */
    UZ_REFUSED = 4,      /* an unsafe entry was refused: it would land outside the folder, is a
                            link pointing out of it, or is a device, pipe or socket */
    UZ_DISK_ERROR = 5,   /* a file or folder could not be created or written */
    UZ_NO_ARCHIVE = 6,   /* the archive could not be opened or is no ZIP archive */
    UZ_CANCELLED = 7,    /* the replace callback answered Cancel or the service callback asked
                            to stop; entries done so far stay */
    UZ_ARGUMENT = 8      /* a record is missing or an argument is out of range */
};

/* Answers of the replace callback. */
enum { UZ_REPLACE_NO = 100, UZ_REPLACE_YES = 102, UZ_REPLACE_CANCEL = 104 };

/* Answers of the password callback. */
enum { UZ_PASSWORD_GIVEN = 0, UZ_PASSWORD_NONE = 1 };

/* 64 bytes. The caller sets StructLength to 64; UzpVersion2 fills the three texts (space padded,
 * NUL at the end) when the length is at least 64, and leaves the record alone otherwise. */
typedef struct UnzipVersionInfo {
    uint32_t StructLength;
    uint32_t Flag;
    char Release[10];    /* engine release, e.g. "1.0" */
    char BuildDate[20];  /* date the engine was built */
    char LibArchive[10]; /* libarchive version the engine runs on */
    uint8_t Reserved[16];
} UnzipVersionInfo;

/* Slots 1 to 15 are 0/1 switches or small numbers; the name is the option's. */
typedef struct UnzipOptions {
    int32_t ExtractOnlyNewer;  /* 1: only replace files already present whose entry is newer */
    int32_t SpaceToUnderScore; /* 1: spaces in entry names become "_" */
    int32_t PromptOverwrite;   /* 1: ask the replace callback for each file already present */
    int32_t MessageLevel;      /* 0 silent, 1 problems only, 2 also one line per entry */
    int32_t WriteToStdOut;     /* 1: file data goes to the print callback, nothing to disk */
    int32_t TestZip;           /* 1: read and check every entry, write nothing */
    int32_t ExtractList;       /* non-zero: list only, one message callback per entry */
    int32_t ExtractNewer;      /* 1: extract entries that are new or newer than the file present */
    int32_t DisplayComment;    /* 1: print the archive comment first */
    int32_t HonorDirectories;  /* 1: recreate the archive's folders; 0: all files in the folder */
    int32_t OverWriteFiles;    /* 1: replace files already present without asking */
    int32_t ConvertCRtoCRLF;   /* 1: text entries get CR LF line ends */
    int32_t Verbose;           /* 1: entry lines carry size and method; a summary line at the end */
    int32_t CaseSensitive;     /* 0: the include and exclude patterns ignore case */
    int32_t Privilege;         /* 0: permission bits without set-id and sticky bits; 1: all */
    const char* ZipFileName;   /* archive path */
    const char* ExtractDir;    /* extraction folder; created when missing; empty or NULL: the
                                  current folder */
} UnzipOptions;

/* print: a piece of message text (not NUL-terminated within `length`); answer 0. A problem comes
 * as one piece: its message line (empty below message level 1), a NUL, then the problem as
 * fields each ended by a NUL: UZ_PROBLEM_MARK, the result code in decimal, the entry's name ("" for
 * the whole unpack) and the reason, in Windows-1252. A caller that reads up to the first NUL sees
 * only the line. */
#define UZ_PROBLEM_MARK "uz-problem"
typedef int32_t (*UnzipPrintFunction)(const char* buffer, uint32_t length);
typedef void (*UnzipSoundFunction)(void);
/* replace: the entry's name as it will be written below the folder; answer UZ_REPLACE_*. */
typedef int32_t (*UnzipReplaceFunction)(const char* name);
/* password: write a NUL-terminated password into `buffer` of `size` bytes and answer
 * UZ_PASSWORD_GIVEN, or answer UZ_PASSWORD_NONE to skip the entry. Asked again after a wrong
 * password until it answers NONE or repeats a password already refused for the entry. */
typedef int32_t (*UnzipPasswordFunction)(char* buffer, int32_t size, const char* prompt,
                                         const char* entryName);
/* message: one call per entry when listing. The date and time are local time. */
typedef void (*UnzipMessageFunction)(uint32_t uncompressedSize, /* 1: low 32 bits of the size */
                                     uint32_t sizeHigh,         /* 2: bits 32 to 63 of the size */
                                     uint16_t permissions,      /* 3: Unix permission bits */
                                     uint16_t month,            /* 4: 1 to 12 */
                                     uint16_t day,              /* 5: 1 to 31 */
                                     uint16_t year,             /* 6: four digits */
                                     uint16_t hour,             /* 7: 0 to 23 */
                                     uint16_t minute,           /* 8: 0 to 59 */
                                     char kind,                 /* 9: '-' file, 'd' folder, 'l'
                                                                   link, '?' other */
                                     const char* name,          /* 10: entry name */
                                     const char* linkTarget,    /* 11: link target or "" */
                                     uint16_t second,           /* 12: 0 to 59 */
                                     uint16_t encrypted);       /* 13: 1 when encrypted */
/* service: called before each entry is handled; answer 0 to go on, anything else to stop. */
typedef int32_t (*UnzipServiceFunction)(const char* name, uint32_t length);

/* Six code addresses and 20 reserved bytes: 44 bytes where addresses are 32 bits, 68 here. */
typedef struct UnzipCallbacks {
    UnzipPrintFunction Print;
    UnzipSoundFunction Sound; /* never called */
    UnzipReplaceFunction Replace;
    UnzipPasswordFunction Password;
    UnzipMessageFunction Message;
    UnzipServiceFunction Service;
    uint8_t Reserved[20];
} UnzipCallbacks;

/* Up to 100 name patterns ("*", "?" and "[...]" as in the shell, "/" matched literally). */
typedef struct UnzipNameList {
    const char* Names[100];
} UnzipNameList;

UZ_EXPORT void UzpVersion2(UnzipVersionInfo* version);

/* Unpacks the archive ZipFileName into ExtractDir as the options say. With includeCount 0 every
 * entry is selected, otherwise those matching one of the first includeCount patterns; entries
 * matching one of the first excludeCount patterns are left out. Any callback may be NULL. */
UZ_EXPORT int32_t Wiz_SingleEntryUnzip(int32_t includeCount, const UnzipNameList* include,
                                       int32_t excludeCount, const UnzipNameList* exclude,
                                       const UnzipOptions* options,
                                       const UnzipCallbacks* callbacks);

#ifdef __cplusplus
}
#endif

#endif
