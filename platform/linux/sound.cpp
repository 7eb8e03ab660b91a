// Alert sounds: WAV files played on ALSA by a worker thread, so that the
// monitor never waits for a sound. A new sound cuts off the one playing;
// a file that cannot be played gives a short beep instead.
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/linux/linux_platform.h"
#include "platform/linux/wav_format.h"

namespace {

// Plain pthread objects: nothing to destroy at exit while the worker may
// still hold them.
pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t requested = PTHREAD_COND_INITIALIZER;  // a new sound, or quit
pthread_cond_t idle = PTHREAD_COND_INITIALIZER;

// Everything below is guarded by `lock`.
char requestPath[PATH_MAX];
bool requestUnplayable;   // the name did not fit: it names no file we can open
uint32_t requestNumber;   // raised by every request
uint32_t takenNumber;     // the request the worker took last
bool playing;
bool quitting;
bool started;
pthread_t worker;
char deviceName[256] = "default";
LinuxSoundCounts counts;

// The worker's own copy, taken with each request.
char device[sizeof deviceName];

enum class Outcome { Played, Cut, Failed };

// The beep: a short 880 Hz tone with soft edges, so it does not click.
constexpr uint32_t kBeepRate = 22050;
constexpr size_t kBeepFrames = kBeepRate * 3 / 20;  // 150 ms
int16_t beep[kBeepFrames];

void makeBeep() {
    const size_t ramp = kBeepRate / 200;  // 5 ms
    for (size_t i = 0; i < kBeepFrames; ++i) {
        double gain = 1.0;
        if (i < ramp) gain = static_cast<double>(i) / ramp;
        else if (kBeepFrames - i < ramp) gain = static_cast<double>(kBeepFrames - i) / ramp;
        beep[i] = static_cast<int16_t>(8000.0 * gain * std::sin(2.0 * M_PI * 880.0 * i / kBeepRate));
    }
}

void silentAlsa(const char*, int, const char*, int, const char*, ...) {}

// True when the sound playing must give way (a newer request, or exit).
bool superseded(uint32_t number) {
    pthread_mutex_lock(&lock);
    bool result = quitting || requestNumber != number;
    pthread_mutex_unlock(&lock);
    return result;
}

void addFrames(uint64_t frames) {
    pthread_mutex_lock(&lock);
    counts.frames += frames;
    pthread_mutex_unlock(&lock);
}

// Sleeps up to `ms`, waking at once for a new request.
void waitForRequest(uint32_t number, long ms) {
    timespec until;
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += ms * 1000000;
    until.tv_sec += until.tv_nsec / 1000000000;
    until.tv_nsec %= 1000000000;
    pthread_mutex_lock(&lock);
    while (!quitting && requestNumber == number)
        if (pthread_cond_timedwait(&requested, &lock, &until) == ETIMEDOUT) break;
    pthread_mutex_unlock(&lock);
}

snd_pcm_format_t alsaFormat(WavSample sample) {
    switch (sample) {
    case WavSample::U8: return SND_PCM_FORMAT_U8;
    case WavSample::S16: return SND_PCM_FORMAT_S16_LE;
    case WavSample::S24: return SND_PCM_FORMAT_S24_3LE;
    case WavSample::S32: return SND_PCM_FORMAT_S32_LE;
    case WavSample::F32: return SND_PCM_FORMAT_FLOAT_LE;
    }
    return SND_PCM_FORMAT_UNKNOWN;
}

// Waits until the device has played what it holds, unless cut off. The
// delay is watched rather than drained: a drain cannot be interrupted, and
// a device whose delay stops moving is left after two seconds.
Outcome finish(snd_pcm_t* pcm, uint32_t number) {
    // A sound shorter than the buffer has not started yet.
    if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) snd_pcm_start(pcm);
    for (int wait = 0; wait < 100; ++wait) {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm, &delay) < 0 || delay <= 0) break;
        if (superseded(number)) return Outcome::Cut;
        waitForRequest(number, 20);
    }
    return Outcome::Played;
}

// Streams the samples in blocks of about 50 ms, looking for a newer
// request between blocks.
Outcome stream(const WavSource& source, const WavFormat& format, uint32_t number) {
    snd_pcm_t* pcm;
    if (snd_pcm_open(&pcm, device, SND_PCM_STREAM_PLAYBACK, 0) < 0) return Outcome::Failed;
    if (snd_pcm_set_params(pcm, alsaFormat(format.sample), SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                           format.rate, 1, 200000) < 0) {
        snd_pcm_close(pcm);
        return Outcome::Failed;
    }
    static uint8_t block[16384];
    uint64_t blockFrames = sizeof block / format.frameBytes;
    if (blockFrames > format.rate / 20) blockFrames = format.rate / 20;
    uint64_t done = 0;
    Outcome outcome = Outcome::Played;
    while (done < format.frameCount && outcome == Outcome::Played) {
        if (superseded(number)) {
            outcome = Outcome::Cut;
            break;
        }
        uint64_t frames = format.frameCount - done < blockFrames ? format.frameCount - done : blockFrames;
        size_t bytes = static_cast<size_t>(frames * format.frameBytes);
        size_t got = source.readAt(source.context, format.dataOffset + done * format.frameBytes, block, bytes);
        frames = got / format.frameBytes;
        if (frames == 0) break;  // the file shrank while playing
        uint64_t written = 0;
        while (written < frames) {
            snd_pcm_sframes_t n = snd_pcm_writei(pcm, block + written * format.frameBytes, frames - written);
            if (n < 0 && snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0) {
                outcome = Outcome::Failed;
                break;
            }
            if (n > 0) written += static_cast<uint64_t>(n);
        }
        addFrames(written);
        done += frames;
    }
    if (outcome == Outcome::Played) outcome = finish(pcm, number);
    if (outcome == Outcome::Cut) snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
    return outcome;
}

struct FileContext {
    int fd;
};

size_t readFromFile(void* context, uint64_t offset, uint8_t* out, size_t size) {
    int fd = static_cast<FileContext*>(context)->fd;
    size_t got = 0;
    while (got < size) {
        ssize_t n = pread(fd, out + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

size_t readFromBeep(void* context, uint64_t offset, uint8_t* out, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(context);
    if (offset >= sizeof beep) return 0;
    if (size > sizeof beep - offset) size = static_cast<size_t>(sizeof beep - offset);
    memcpy(out, bytes + offset, size);
    return size;
}

Outcome playFile(const char* path, uint32_t number) {
    // Without blocking: a FIFO by that name must not hold the player.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return Outcome::Failed;
    struct stat info;
    Outcome outcome = Outcome::Failed;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        FileContext context{fd};
        WavSource source{&context, static_cast<uint64_t>(info.st_size), readFromFile};
        WavFormat format;
        if (parseWav(source, &format)) outcome = stream(source, format, number);
    }
    close(fd);
    return outcome;
}

Outcome playBeep(uint32_t number) {
    WavSource source{beep, sizeof beep, readFromBeep};
    WavFormat format{WavSample::S16, 1, kBeepRate, 2, 0, kBeepFrames};
    return stream(source, format, number);
}

void* work(void*) {
    snd_lib_error_set_handler(silentAlsa);  // the program's failures are silent
    makeBeep();
    static char path[PATH_MAX];
    pthread_mutex_lock(&lock);
    for (;;) {
        while (!quitting && takenNumber == requestNumber) {
            playing = false;
            pthread_cond_broadcast(&idle);
            pthread_cond_wait(&requested, &lock);
        }
        if (quitting) break;
        takenNumber = requestNumber;
        bool unplayable = requestUnplayable;
        memcpy(path, requestPath, sizeof path);
        memcpy(device, deviceName, sizeof device);
        playing = true;
        pthread_mutex_unlock(&lock);

        uint32_t number = takenNumber;
        Outcome outcome = unplayable ? Outcome::Failed : playFile(path, number);
        bool beeped = false;
        if (outcome == Outcome::Failed && !superseded(number)) {
            outcome = playBeep(number);
            beeped = outcome != Outcome::Failed;
        }

        pthread_mutex_lock(&lock);
        if (outcome == Outcome::Cut) ++counts.cut;
        else if (outcome == Outcome::Played && beeped) ++counts.beeps;
        else if (outcome == Outcome::Played) ++counts.files;
    }
    playing = false;
    pthread_cond_broadcast(&idle);
    pthread_mutex_unlock(&lock);
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
        pthread_cond_broadcast(&requested);
    }
    pthread_mutex_unlock(&lock);
}

void linuxSetSoundDevice(const char* name) {
    if (!name || !*name || strlen(name) >= sizeof deviceName) return;
    pthread_mutex_lock(&lock);
    memcpy(deviceName, name, strlen(name) + 1);
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
    while (started && !quitting && (playing || takenNumber != requestNumber)) pthread_cond_wait(&idle, &lock);
    pthread_mutex_unlock(&lock);
}
