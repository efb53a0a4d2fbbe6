// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian writing and bounds-checked reading of the chart image's fields.

#include <QByteArray>
#include <QString>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

class ByteWriter {
public:
    explicit ByteWriter(QByteArray& out) : out_(out) {}

    template <class T>
    void put(T v)
    {
        static_assert(std::is_arithmetic_v<T>);
        if constexpr (std::endian::native == std::endian::big)
            v = swapped(v);
        out_.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    void putBool(bool v) { put<std::uint8_t>(v ? 1 : 0); }
    void putString(const QString& s)
    {
        const QByteArray u = s.toUtf8();
        put<std::uint32_t>(static_cast<std::uint32_t>(u.size()));
        out_.append(u);
    }
    template <class T>
    void putArray(const std::vector<T>& v)
    {
        put<std::uint32_t>(static_cast<std::uint32_t>(v.size()));
        if constexpr (std::endian::native == std::endian::little) {
            out_.append(reinterpret_cast<const char*>(v.data()),
                        static_cast<qsizetype>(v.size() * sizeof(T)));
        } else {
            for (T e : v)
                put(e);
        }
    }

    template <class T>
    static T swapped(T v)
    {
        unsigned char b[sizeof v];
        std::memcpy(b, &v, sizeof v);
        for (std::size_t i = 0; i < sizeof v / 2; ++i)
            std::swap(b[i], b[sizeof v - 1 - i]);
        std::memcpy(&v, b, sizeof v);
        return v;
    }

private:
    QByteArray& out_;
};

// Thrown by ByteReader on a field that runs past the end or is out of its range.
struct ByteStreamError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ByteReader {
public:
    ByteReader(const char* data, std::size_t size) : p_(data), left_(size) {}

    std::size_t left() const { return left_; }

    template <class T>
    T get()
    {
        static_assert(std::is_arithmetic_v<T>);
        need(sizeof(T));
        T v;
        std::memcpy(&v, p_, sizeof v);
        advance(sizeof v);
        if constexpr (std::endian::native == std::endian::big)
            v = ByteWriter::swapped(v);
        return v;
    }
    bool getBool()
    {
        const auto b = get<std::uint8_t>();
        if (b > 1)
            throw ByteStreamError("a yes/no field holds another value");
        return b == 1;
    }
    int getInt(int lo, int hi)
    {
        const auto v = get<std::int32_t>();
        if (v < lo || v > hi)
            throw ByteStreamError("a number is out of its range");
        return v;
    }
    double getFinite()
    {
        const double v = get<double>();
        if (!std::isfinite(v))
            throw ByteStreamError("a number is not finite");
        return v;
    }
    QString getString()
    {
        const auto n = get<std::uint32_t>();
        need(n);
        QString s = QString::fromUtf8(p_, static_cast<qsizetype>(n));
        advance(n);
        return s;
    }
    // A count of elements of at least minBytes each, checked against what remains.
    std::size_t getCount(std::size_t minBytes, std::size_t limit)
    {
        const auto n = get<std::uint32_t>();
        if (n > limit || static_cast<std::size_t>(n) * minBytes > left_)
            throw ByteStreamError("a count is larger than the image allows");
        return n;
    }
    template <class T>
    std::vector<T> getArray(std::size_t expected)
    {
        const auto n = get<std::uint32_t>();
        if (n != expected)
            throw ByteStreamError("an array has the wrong size");
        need(expected * sizeof(T));
        std::vector<T> v(expected);
        if (expected > 0)
            std::memcpy(v.data(), p_, expected * sizeof(T));
        advance(expected * sizeof(T));
        if constexpr (std::endian::native == std::endian::big)
            for (T& e : v)
                e = ByteWriter::swapped(e);
        return v;
    }

private:
    void need(std::size_t n) const
    {
        if (n > left_)
            throw ByteStreamError("the image ends too early");
    }
    void advance(std::size_t n)
    {
        p_ += n;
        left_ -= n;
    }

    const char* p_;
    std::size_t left_;
};
