// Public interface of libsonavek.so, the MP3 encoder library the conversion
// worker loads at run time. Six entry points with C linkage; every other
// symbol of the library stays hidden.
//
// The calls for one file: beVersion, beInitStream, beEncodeChunk as often as
// the input needs (writing what each returns), beDeinitStream (writing what
// it returns), beGetInfoTag (writing its frame over the file's first bytes),
// beCloseStream; only then does the caller give the file its name, so that a
// stopped or failed conversion leaves none. The first bytes a stream hands
// out are a placeholder of the Info frame's size, an empty ID3v2 tag that
// decoders skip; a caller without beGetInfoTag leaves it, and the file still
// plays, only without the encoder's delay and padding trimmed.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(SONAVEK_BUILDING)
#define SONAVEK_API __attribute__((visibility("default")))
#else
#define SONAVEK_API
#endif

typedef uint32_t BE_ERR;
typedef uint32_t HBE_STREAM;

enum {
    BE_ERR_SUCCESSFUL = 0,
    BE_ERR_INVALID_FORMAT = 1,
    BE_ERR_INVALID_FORMAT_PARAMETERS = 2,
    BE_ERR_NO_MORE_HANDLES = 3,
    BE_ERR_INVALID_HANDLE = 4,
    BE_ERR_INVALID_ARGUMENT = 5,
    BE_ERR_ENCODER_FAILED = 6,
};

enum { BE_CONFIG_MP3 = 0 };

enum {
    BE_MP3_MODE_STEREO = 0,
    BE_MP3_MODE_DUALCHANNEL = 2,
    BE_MP3_MODE_MONO = 3,
};

#pragma pack(push, 1)

// dwSampleRate is the rate of the input samples; the output is always
// MPEG-1 Layer III at 44100 Hz.
typedef struct {
    uint32_t dwConfig;
    uint32_t dwSampleRate;
    uint8_t byMode;
    uint16_t wBitrate;
    int32_t bPrivate;
    int32_t bCRC;
    int32_t bCopyright;
    int32_t bOriginal;
} BE_CONFIG;

typedef struct {
    uint8_t byDLLMajorVersion;
    uint8_t byDLLMinorVersion;
    uint8_t byMajorVersion;
    uint8_t byMinorVersion;
    uint8_t byDay;
    uint8_t byMonth;
    uint16_t wYear;
    char zHomepage[257];
} BE_VERSION;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(BE_CONFIG) == 27, "BE_CONFIG is 27 packed bytes");
static_assert(sizeof(BE_VERSION) == 265, "BE_VERSION is 265 packed bytes");
#else
_Static_assert(sizeof(BE_CONFIG) == 27, "BE_CONFIG is 27 packed bytes");
_Static_assert(sizeof(BE_VERSION) == 265, "BE_VERSION is 265 packed bytes");
#endif

// Fills the version record.
SONAVEK_API BE_ERR beVersion(BE_VERSION* version);

// Opens a stream. *samples is the chunk size S in 16-bit samples of all
// channels together; *bufferSize is B, enough output room for one chunk or
// for the flush.
SONAVEK_API BE_ERR beInitStream(const BE_CONFIG* config, uint32_t* samples, uint32_t* bufferSize,
                                HBE_STREAM* stream);

// Encodes at most S interleaved 16-bit little-endian samples; *written bytes
// of MP3 data (possibly none) are then in output.
SONAVEK_API BE_ERR beEncodeChunk(HBE_STREAM stream, uint32_t sampleCount, const int16_t* samples,
                                 uint8_t* output, uint32_t* written);

// Flushes the encoder; the *written bytes complete the MP3 data.
SONAVEK_API BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* written);

// After a successful beDeinitStream: the Info frame (a Xing "Info" frame with
// the LAME extension) in *written bytes, at most B, which replace the
// placeholder at the start of the stream's output.
SONAVEK_API BE_ERR beGetInfoTag(HBE_STREAM stream, uint8_t* output, uint32_t* written);

// Releases the stream.
SONAVEK_API BE_ERR beCloseStream(HBE_STREAM stream);

typedef BE_ERR (*BEVERSION)(BE_VERSION*);
typedef BE_ERR (*BEINITSTREAM)(const BE_CONFIG*, uint32_t*, uint32_t*, HBE_STREAM*);
typedef BE_ERR (*BEENCODECHUNK)(HBE_STREAM, uint32_t, const int16_t*, uint8_t*, uint32_t*);
typedef BE_ERR (*BEDEINITSTREAM)(HBE_STREAM, uint8_t*, uint32_t*);
typedef BE_ERR (*BEGETINFOTAG)(HBE_STREAM, uint8_t*, uint32_t*);
typedef BE_ERR (*BECLOSESTREAM)(HBE_STREAM);

#ifdef __cplusplus
}
#endif
