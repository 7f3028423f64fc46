#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <array>
#include <cstdint>

// Small conversions for the JSON form of the stored records (velum-cli props).

template <std::size_t N>
QJsonArray JsonArray(const std::array<QString, N>& texts) {
  QJsonArray out;
  for (const QString& t : texts) out.append(t);
  return out;
}

template <typename Int, std::size_t N>
QJsonArray JsonArray(const std::array<Int, N>& values) {
  QJsonArray out;
  for (Int v : values) out.append(qint64(v));
  return out;
}

template <typename Container>
QJsonArray JsonList(const Container& values) {
  QJsonArray out;
  for (const auto& v : values) {
    if constexpr (std::is_integral_v<std::decay_t<decltype(v)>>)
      out.append(qint64(v));
    else
      out.append(v);
  }
  return out;
}
