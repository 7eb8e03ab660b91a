// Alert sounds through the desktop's sound stack: libcanberra, which plays
// on PipeWire or PulseAudio where they run and on ALSA otherwise. A name
// is a file (WAV or Ogg) or a sound of the desktop's theme ("power-plug").
// A worker thread hands them on, so the monitor never waits for a sound
// server; a new sound cuts off the one playing, and a name that cannot be
// played gives a short beep.
//
// WAV files are read by our own bounded reader and handed on as 16-bit
// PCM in memory (canberra's reader takes only 8 and 16 bits, and never
// sees a WAV file of the user's); an Ogg file is handed on as the regular
// file we opened, so no FIFO or device by that name can hold the player.
//
// libcanberra, with the codecs and sound drivers it brings, is opened by
// the worker at the first sound: a start that plays nothing, and the start
// itself, load none of it. Sounds come seldom (a plug, a threshold): after
// a rest with nothing playing, the worker lets all of it go again.
#include <canberra.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/linux/linux_platform.h"
#include "platform/linux/wav_format.h"

namespace {

// Plain pthread objects: nothing to destroy at exit while the worker may
// still hold them.
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t requested = PTHREAD_COND_INITIALIZER;  // a new sound, a beep due, or quit
pthread_cond_t idle = PTHREAD_COND_INITIALIZER;

// Everything below is guarded by `lock`.
char requestPath[PATH_MAX];
bool requestUnplayable;   // the name did not fit: it names nothing we can play
uint32_t requestNumber;   // raised by every request
uint32_t takenNumber;     // the request the worker took last
uint32_t beepFor;         // a sound that failed while playing: its beep is due
// The plays canberra has not yet said are done, by id (the request's
// number, doubled, plus one for a beep); 0 is a free slot. canberra may
// report a play twice (done, then cut off): only the first report counts.
constexpr int kMostInFlight = 8;
uint32_t inFlight[kMostInFlight];
bool busy;                // the worker is handing a sound on
bool quitting;
bool started;
pthread_t worker;
char deviceName[256];     // empty: canberra's own choice
LinuxSoundCounts counts;
int restMs = 30000;       // how long the sound stack stays after the last sound

// The worker's own.
ca_context* context;
char contextDevice[sizeof deviceName];
int beepFd = -1;

// ----- libcanberra, opened at the first sound

struct Canberra {
    decltype(&ca_context_create) contextCreate;
    decltype(&ca_context_destroy) contextDestroy;
    decltype(&ca_context_change_props_full) changeProps;
    decltype(&ca_context_set_driver) setDriver;
    decltype(&ca_context_change_device) changeDevice;
    decltype(&ca_context_play_full) play;
    decltype(&ca_context_cancel) cancel;
    decltype(&ca_proplist_create) proplistCreate;
    decltype(&ca_proplist_sets) proplistSets;
    decltype(&ca_proplist_destroy) proplistDestroy;
};
Canberra ca;  // all set, or none
void* canberraLibrary;
void* alsaLibrary;
bool canberraTried;

template <typename Function>
bool find(void* library, const char* name, Function& out) {
    out = reinterpret_cast<Function>(dlsym(library, name));
    return out != nullptr;
}

// canberra's ALSA driver reports its failures on standard error; the
// program's are silent. The driver links the same libasound, so its
// handler is the one set here.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
void silentAlsa(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsa() {
    alsaLibrary = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    int (*setHandler)(AlsaErrorHandler) = nullptr;
    if (alsaLibrary && find(alsaLibrary, "snd_lib_error_set_handler", setHandler)) setHandler(silentAlsa);
}

// By the worker, once until the stack is let go; a library that is not
// there is not looked for again.
bool haveCanberra() {
    if (canberraTried) return ca.contextCreate != nullptr;
    canberraTried = true;
    silenceAlsa();
    canberraLibrary = dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
    void* library = canberraLibrary;
    Canberra found{};
    const bool loaded = library && find(library, "ca_context_create", found.contextCreate) &&
                        find(library, "ca_context_destroy", found.contextDestroy) &&
                        find(library, "ca_context_change_props_full", found.changeProps) &&
                        find(library, "ca_context_set_driver", found.setDriver) &&
                        find(library, "ca_context_change_device", found.changeDevice) &&
                        find(library, "ca_context_play_full", found.play) &&
                        find(library, "ca_context_cancel", found.cancel) &&
                        find(library, "ca_proplist_create", found.proplistCreate) &&
                        find(library, "ca_proplist_sets", found.proplistSets) &&
                        find(library, "ca_proplist_destroy", found.proplistDestroy);
    if (loaded) ca = found;
    return loaded;
}

// ----- what is handed to canberra

// The beep: a short 880 Hz tone with soft edges, so it does not click.
constexpr uint32_t kBeepRate = 22050;
constexpr size_t kBeepFrames = kBeepRate * 3 / 20;  // 150 ms

// Converted sounds stop here (about three minutes of CD stereo): an alert
// is short, and memory is not the file's to claim.
constexpr uint64_t kMostConvertedBytes = 32u << 20;

void put16(uint8_t* p, uint32_t v) { p[0] = v & 0xFF, p[1] = v >> 8 & 0xFF; }
void put32(uint8_t* p, uint32_t v) { put16(p, v & 0xFFFF), put16(p + 2, v >> 16); }

// The 44-byte header of 16-bit PCM.
void wavHeader(uint8_t (&out)[44], uint16_t channels, uint32_t rate, uint64_t dataBytes) {
    memcpy(out, "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0", 22);
    put32(out + 4, static_cast<uint32_t>(36 + dataBytes));
    put16(out + 22, channels);
    put32(out + 24, rate);
    put32(out + 28, rate * channels * 2);
    put16(out + 32, static_cast<uint16_t>(channels * 2));
    put16(out + 34, 16);
    memcpy(out + 36, "data", 4);
    put32(out + 40, static_cast<uint32_t>(dataBytes));
}

bool writeAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n, size -= static_cast<size_t>(n);
    }
    return true;
}

int memoryFile(const char* name) { return memfd_create(name, MFD_CLOEXEC); }

int makeBeep() {
    static int16_t samples[kBeepFrames];
    const size_t ramp = kBeepRate / 200;  // 5 ms
    for (size_t i = 0; i < kBeepFrames; ++i) {
        double gain = 1.0;
        if (i < ramp) gain = static_cast<double>(i) / ramp;
        else if (kBeepFrames - i < ramp) gain = static_cast<double>(kBeepFrames - i) / ramp;
        samples[i] = static_cast<int16_t>(8000.0 * gain * std::sin(2.0 * M_PI * 880.0 * i / kBeepRate));
    }
    int fd = memoryFile("cellwarden-beep");
    uint8_t header[44];
    wavHeader(header, 1, kBeepRate, sizeof samples);
    if (fd >= 0 && !(writeAll(fd, header, sizeof header) && writeAll(fd, samples, sizeof samples))) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// One sample of any layout we read, as 16 bits.
int16_t sample16(WavSample kind, const uint8_t* p) {
    switch (kind) {
    case WavSample::U8: return static_cast<int16_t>((p[0] - 128) * 256);
    case WavSample::S16: return static_cast<int16_t>(p[0] | p[1] << 8);
    case WavSample::S24: return static_cast<int16_t>(p[1] | p[2] << 8);
    case WavSample::S32: return static_cast<int16_t>(p[2] | p[3] << 8);
    case WavSample::F32: {
        float value;
        memcpy(&value, p, sizeof value);
        if (!(value > -1.0f)) value = -1.0f;  // NaN too
        if (value > 1.0f) value = 1.0f;
        return static_cast<int16_t>(std::lround(value * 32767.0f));
    }
    }
    return 0;
}

size_t readFromFile(void* context, uint64_t offset, uint8_t* out, size_t size) {
    int fd = *static_cast<int*>(context);
    size_t got = 0;
    while (got < size) {
        ssize_t n = pread(fd, out + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

// The WAV file open as `fd`, as 16-bit PCM in a memory file; -1 when it is
// not a WAV file we can read.
int convertedWav(int fd, uint64_t size) {
    WavSource source{&fd, size, readFromFile};
    WavFormat format;
    if (!parseWav(source, &format)) return -1;
    uint64_t frames = format.frameCount;
    if (frames > kMostConvertedBytes / (2u * format.channels)) frames = kMostConvertedBytes / (2u * format.channels);
    int out = memoryFile("cellwarden-sound");
    if (out < 0) return -1;
    uint8_t header[44];
    wavHeader(header, format.channels, format.rate, frames * 2u * format.channels);
    bool ok = writeAll(out, header, sizeof header);
    static uint8_t in[16384];
    static int16_t converted[sizeof in];
    const uint64_t blockFrames = sizeof in / format.frameBytes;
    const uint16_t sampleBytes = static_cast<uint16_t>(format.frameBytes / format.channels);
    for (uint64_t done = 0; ok && done < frames;) {
        uint64_t want = frames - done < blockFrames ? frames - done : blockFrames;
        size_t got = source.readAt(source.context, format.dataOffset + done * format.frameBytes, in,
                                   static_cast<size_t>(want * format.frameBytes)) / format.frameBytes;
        if (got == 0) break;  // the file shrank meanwhile: what there was
        size_t samples = got * format.channels;
        for (size_t i = 0; i < samples; ++i) converted[i] = sample16(format.sample, in + i * sampleBytes);
        ok = writeAll(out, converted, samples * 2);
        done += got;
    }
    if (!ok) {
        close(out);
        return -1;
    }
    return out;
}

// ----- the player

bool hasExtension(const char* name, const char* extension) {
    size_t length = strlen(name), tail = strlen(extension);
    return length > tail && strcasecmp(name + length - tail, extension) == 0;
}

// A name with a directory or a sound file's extension is a file; any other
// names a sound of the desktop's theme.
bool namesFile(const char* name) {
    return strchr(name, '/') || hasExtension(name, ".wav") || hasExtension(name, ".ogg") ||
           hasExtension(name, ".oga");
}

// With `lock` held; 0 asks for any.
bool isInFlight(uint32_t id) {
    for (uint32_t slot : inFlight)
        if (slot && (id == 0 || slot == id)) return true;
    return false;
}

bool markInFlight(uint32_t id, bool on) {
    for (uint32_t& slot : inFlight)
        if (slot == (on ? 0 : id)) {
            slot = on ? id : 0;
            return true;
        }
    return false;
}

uint32_t playId(uint32_t number, bool beep) { return number << 1 | (beep ? 1 : 0); }

// Done, failed or cut off, on one of canberra's threads.
void finished(ca_context*, uint32_t id, int error, void*) {
    const uint32_t number = id >> 1;
    const bool beep = id & 1;
    pthread_mutex_lock(&lock);
    if (markInFlight(id, false)) {
        if (error == CA_SUCCESS) ++(beep ? counts.beeps : counts.files);
        else if (error == CA_ERROR_CANCELED || error == CA_ERROR_DESTROYED) ++counts.cut;
        else if (!beep && number == requestNumber) beepFor = number;
        pthread_cond_broadcast(&requested);
        pthread_cond_broadcast(&idle);
    }
    pthread_mutex_unlock(&lock);
}

uint32_t lastPlayId;  // the worker's: what a new sound cuts off
bool keepStack;       // the worker's: the sound stack stays for good

// A sound cut off stops at its next block: the next one starts after it,
// not over it, unless the device holds it longer than this.
constexpr long kCutWaitMs = 500;

// For pthread_cond_timedwait, whose clock is the wall clock's.
timespec inMs(long ms) {
    timespec until;
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += ms / 1000;
    until.tv_nsec += ms % 1000 * 1000000L;
    until.tv_sec += until.tv_nsec / 1000000000;
    until.tv_nsec %= 1000000000;
    return until;
}

void cutOffLast() {
    if (!lastPlayId) return;
    ca.cancel(context, lastPlayId);
    const timespec until = inMs(kCutWaitMs);
    pthread_mutex_lock(&lock);
    while (isInFlight(lastPlayId))
        if (pthread_cond_timedwait(&idle, &lock, &until) == ETIMEDOUT) break;
    pthread_mutex_unlock(&lock);
}

int startPlaying(ca_proplist* properties, uint32_t number, bool beep) {
    const uint32_t id = playId(number, beep);
    pthread_mutex_lock(&lock);
    const bool room = markInFlight(id, true);
    pthread_mutex_unlock(&lock);
    if (!room) return CA_ERROR_OOM;
    int result = ca.play(context, id, properties, finished, nullptr);
    pthread_mutex_lock(&lock);
    if (result == CA_SUCCESS) ++counts.started;
    else markInFlight(id, false);
    pthread_mutex_unlock(&lock);
    if (result == CA_SUCCESS) lastPlayId = id;
    return result;
}

int playWithProperty(const char* key, const char* value, uint32_t number, bool beep) {
    ca_proplist* properties;
    if (ca.proplistCreate(&properties) != CA_SUCCESS) return CA_ERROR_OOM;
    ca.proplistSets(properties, key, value);
    int result = startPlaying(properties, number, beep);
    ca.proplistDestroy(properties);
    return result;
}

// canberra opens the name itself: an open file is named through /proc, so
// that it reads what we checked.
int playOpenFile(int fd, uint32_t number, bool beep) {
    char path[64];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return playWithProperty(CA_PROP_MEDIA_FILENAME, path, number, beep);
}

int playThemeSound(const char* name, uint32_t number) {
    return playWithProperty(CA_PROP_EVENT_ID, name, number, false);
}

bool isOgg(int fd) {
    char magic[4];
    return pread(fd, magic, sizeof magic, 0) == sizeof magic && memcmp(magic, "OggS", 4) == 0;
}

int playFile(const char* path, uint32_t number) {
    // Without blocking: a FIFO by that name must not hold the player.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return CA_ERROR_NOTFOUND;
    struct stat info;
    int result = CA_ERROR_NOTSUPPORTED;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (isOgg(fd)) {
            result = playOpenFile(fd, number, false);
        } else if (int wav = convertedWav(fd, static_cast<uint64_t>(info.st_size)); wav >= 0) {
            result = playOpenFile(wav, number, false);
            close(wav);
        }
    }
    close(fd);
    return result;
}

int play(const char* name, uint32_t number) {
    if (!*name) return CA_ERROR_NOTFOUND;
    return namesFile(name) ? playFile(name, number) : playThemeSound(name, number);
}

// One context while the sound stack is loaded. It is destroyed only when
// every play has been reported over and a rest has passed: canberra's ALSA
// driver unloads itself on destroy, and a player still running would run
// code that is gone. A device asked for (tests) goes to ALSA; a change of
// it takes effect with the next sound.
bool haveContext(const char* device) {
    if (!context) {
        if (!haveCanberra() || ca.contextCreate(&context) != CA_SUCCESS) {
            context = nullptr;
            return false;
        }
        ca_proplist* names;
        if (ca.proplistCreate(&names) == CA_SUCCESS) {
            ca.proplistSets(names, CA_PROP_APPLICATION_NAME, "Cellwarden");
            ca.proplistSets(names, CA_PROP_APPLICATION_ID, "cellwarden");
            ca.changeProps(context, names);
            ca.proplistDestroy(names);
        }
        if (*device) ca.setDriver(context, "alsa");
    }
    if (strcmp(device, contextDevice) != 0) {
        ca.changeDevice(context, *device ? device : nullptr);
        memcpy(contextDevice, device, sizeof contextDevice);
    }
    return true;
}

// Lets the whole sound stack go: the context, its driver, libcanberra with
// its codecs, and libasound. The next sound loads them again.
void letSoundStackGo() {
    ca.contextDestroy(context);
    context = nullptr;
    contextDevice[0] = '\0';
    lastPlayId = 0;
    ca = Canberra{};
    dlclose(canberraLibrary);
    canberraLibrary = nullptr;
    if (alsaLibrary) dlclose(alsaLibrary);
    alsaLibrary = nullptr;
    canberraTried = false;
    pthread_mutex_lock(&lock);
    ++counts.released;
    pthread_mutex_unlock(&lock);
}

// GStreamer's types stay registered with GLib for the life of the process:
// a stack that brought GStreamer in stays too.
bool stackMayGo() {
    void* gstreamer = dlopen("libgstreamer-1.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (gstreamer) dlclose(gstreamer);
    return !gstreamer;
}

bool nothingAsked() { return !quitting && takenNumber == requestNumber && beepFor == 0; }

// With `lock` held: waits for a sound to play. With the stack loaded and
// nothing playing, a rest that passes with nothing asked lets it go.
void waitForRequest() {
    while (nothingAsked()) {
        busy = false;
        pthread_cond_broadcast(&idle);
        if (!context || keepStack || isInFlight(0)) {
            pthread_cond_wait(&requested, &lock);
            continue;
        }
        const timespec until = inMs(restMs);
        if (pthread_cond_timedwait(&requested, &lock, &until) != ETIMEDOUT) continue;
        if (!nothingAsked() || isInFlight(0)) continue;
        busy = true;  // the idle wait sees the stack go first
        pthread_mutex_unlock(&lock);
        if (stackMayGo()) letSoundStackGo();
        else keepStack = true;
        pthread_mutex_lock(&lock);
    }
}

void* work(void*) {
    beepFd = makeBeep();
    static char path[PATH_MAX];
    static char device[sizeof deviceName];
    pthread_mutex_lock(&lock);
    for (;;) {
        waitForRequest();
        if (quitting) break;
        const bool fresh = takenNumber != requestNumber;
        const uint32_t number = takenNumber = requestNumber;
        const bool unplayable = requestUnplayable;
        beepFor = 0;
        memcpy(path, requestPath, sizeof path);
        memcpy(device, deviceName, sizeof device);
        busy = true;
        pthread_mutex_unlock(&lock);

        int result = CA_ERROR_NOTFOUND;
        if (haveContext(device)) {
            cutOffLast();
            if (fresh && !unplayable) result = play(path, number);
            pthread_mutex_lock(&lock);
            const bool newer = requestNumber != number;
            pthread_mutex_unlock(&lock);
            if (result != CA_SUCCESS && !newer && beepFd >= 0) playOpenFile(beepFd, number, true);
        }
        pthread_mutex_lock(&lock);
    }
    busy = false;
    pthread_cond_broadcast(&idle);
    pthread_mutex_unlock(&lock);
    if (context && lastPlayId) ca.cancel(context, lastPlayId);
    return nullptr;
}

// At exit the worker stops the sound and ends before the libraries it
// uses are torn down.
void stopWorker() {
    pthread_mutex_lock(&lock);
    quitting = true;
    pthread_cond_broadcast(&requested);
    pthread_mutex_unlock(&lock);
    pthread_join(worker, nullptr);
}

// Called with `lock` held. Signals stay with the user-interface thread.
bool startWorker() {
    if (started) return true;
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    started = pthread_create(&worker, nullptr, work, nullptr) == 0;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (started) atexit(stopWorker);
    return started;
}

}  // namespace

void platformPlaySound(const char* file) {
    if (!file) file = "";
    size_t length = strnlen(file, sizeof requestPath);
    pthread_mutex_lock(&lock);
    ++counts.requests;
    if (startWorker()) {
        requestUnplayable = length == 0 || length >= sizeof requestPath;
        memcpy(requestPath, file, requestUnplayable ? 0 : length + 1);
        if (requestUnplayable) requestPath[0] = '\0';
        ++requestNumber;
        if (requestNumber == 0) ++requestNumber;  // 0 is "no beep due"
        pthread_cond_broadcast(&requested);
    }
    pthread_mutex_unlock(&lock);
}

void linuxSetSoundDevice(const char* name) {
    if (!name || strlen(name) >= sizeof deviceName) return;
    pthread_mutex_lock(&lock);
    memcpy(deviceName, name, strlen(name) + 1);
    pthread_mutex_unlock(&lock);
}

void linuxSetSoundRest(int ms) {
    pthread_mutex_lock(&lock);
    restMs = ms < 0 ? 0 : ms;
    pthread_cond_broadcast(&requested);
    pthread_mutex_unlock(&lock);
}

LinuxSoundCounts linuxSoundCounts() {
    pthread_mutex_lock(&lock);
    LinuxSoundCounts result = counts;
    pthread_mutex_unlock(&lock);
    return result;
}

void linuxWaitSoundIdle() {
    pthread_mutex_lock(&lock);
    while (started && !quitting && (busy || isInFlight(0) || beepFor != 0 || takenNumber != requestNumber))
        pthread_cond_wait(&idle, &lock);
    pthread_mutex_unlock(&lock);
}
