#include "AudioOutput.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <algorithm>
#include <atomic>

namespace {
std::atomic<bool> g_noDevice{false};
}

void AudioOutputSeam::SetNoDevice(bool noDevice) {
    g_noDevice = noDevice;
}
bool AudioOutputSeam::NoDevice() {
    return g_noDevice;
}

std::unique_ptr<QAudioSink> CreateDefaultSink(const QAudioFormat& format) {
    if (AudioOutputSeam::NoDevice() || QMediaDevices::audioOutputs().isEmpty())
        return nullptr;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format))
        return nullptr;
    return std::make_unique<QAudioSink>(device, format);
}

PcmQueue::PcmQueue(size_t capacityBytes, QObject* parent)
    : QIODevice(parent), m_capacity(capacityBytes) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool PcmQueue::Push(const unsigned char* data, size_t bytes) {
    while (bytes > 0) {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_cancelled || m_bytes.size() < m_capacity; });
        if (m_cancelled)
            return false;
        const size_t chunk = std::min(bytes, m_capacity - m_bytes.size());
        m_bytes.insert(m_bytes.end(), data, data + chunk);
        data += chunk;
        bytes -= chunk;
    }
    return true;
}

void PcmQueue::MarkEnd() {
    std::lock_guard lock(m_mutex);
    m_ended = true;
}

void PcmQueue::Cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_room.notify_all();
}

bool PcmQueue::Drained() const {
    std::lock_guard lock(m_mutex);
    return m_ended && m_bytes.empty();
}

qint64 PcmQueue::bytesAvailable() const {
    std::lock_guard lock(m_mutex);
    return qint64(m_bytes.size()) + QIODevice::bytesAvailable();
}

qint64 PcmQueue::readData(char* data, qint64 maxSize) {
    size_t taken = 0;
    {
        std::lock_guard lock(m_mutex);
        taken = std::min(size_t(maxSize), m_bytes.size());
        std::copy_n(m_bytes.begin(), taken, data);
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + taken);
    }
    m_room.notify_all();
    return qint64(taken);
}
