// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg's error handler must not return; it jumps back to decodeRaw() with the message.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onJpegError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void onJpegMessage(j_common_ptr cinfo)
{
    // Warnings are counted by libjpeg; keep the text of the last one instead of printing it.
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
}

constexpr unsigned long kMaxPixels = 64ul * 1024 * 1024;

// Decodes into RGB triplets. Only trivially destructible objects live in this frame, so the
// jump back from the error handler skips no destructor; the pixel buffer belongs to the caller.
bool decodeRaw(const unsigned char* data, unsigned long size, std::vector<unsigned char>& pixels,
               int& width, int& height, char* message)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    std::memset(&cinfo, 0, sizeof cinfo);
    err.message[0] = '\0';
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onJpegError;
    err.pub.output_message = onJpegMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    width = int(cinfo.output_width);
    height = int(cinfo.output_height);
    if (cinfo.output_components != 3 || cinfo.output_width * cinfo.output_height > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(message, JMSG_LENGTH_MAX, "unsupported picture size or colour layout");
        return false;
    }
    const std::size_t stride = std::size_t(width) * 3;
    try {
        pixels.assign(stride * std::size_t(height), 0);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(message, JMSG_LENGTH_MAX, "not enough memory for the picture");
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const long warnings = err.pub.num_warnings;
    jpeg_destroy_decompress(&cinfo);
    if (warnings > 0) {
        // A premature end or damaged data: libjpeg filled in grey, which is not the picture.
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray& data, QString* error)
{
    std::vector<unsigned char> pixels;
    int width = 0, height = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (data.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty JPEG data");
        return {};
    }
    if (!decodeRaw(reinterpret_cast<const unsigned char*>(data.constData()),
                   static_cast<unsigned long>(data.size()), pixels, width, height, message)) {
        if (error)
            *error = QString::fromLocal8Bit(message);
        return {};
    }
    const QImage view(pixels.data(), width, height, width * 3, QImage::Format_RGB888);
    return view.convertToFormat(QImage::Format_RGB32); // a deep copy
}

QImage loadJpeg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(("cannot open " + path).toStdString());
    QString error;
    QImage image = decodeJpeg(file.readAll(), &error);
    if (image.isNull())
        throw std::runtime_error((path + QStringLiteral(": ") + error).toStdString());
    return image;
}
