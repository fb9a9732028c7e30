#pragma once

#include <QList>
#include <QString>
#include <optional>

// The sections of the main window, in sidebar order. The raw value is the
// stored and typed form (TOVIK_SHOW takes it).
enum class AppSection { memory, network, profile, blur, settings };

namespace AppSections {

const QList<AppSection>& all();
QString rawValue(AppSection section);
// Exact, case-sensitive match of a raw value; absent for anything else.
std::optional<AppSection> fromRawValue(const QString& raw);
QString title(AppSection section);
// The symbol name of the section's icon.
QString icon(AppSection section);

} // namespace AppSections
