// The option file's bytes for a record, as WriteOptionFile produces them.
#pragma once

#include "OptionFile.h"

#include <QBuffer>
#include <gtest/gtest.h>

inline QByteArray Encode(const ConvertOptions& options) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteOptionFile(buffer, options));
    return buffer.data();
}
