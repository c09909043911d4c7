#pragma once
// The "Telemetry reports" page: its own tabs for the report settings, the
// analog and digital channels and the Quodra outputs.
class QTabWidget;

namespace zorbel::app {

class PageBuilder;

void addTelemetryPage(QTabWidget* tabs, PageBuilder& builder);

}  // namespace zorbel::app
