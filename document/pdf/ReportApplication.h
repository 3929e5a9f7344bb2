#pragma once
#include <QCoreApplication>

#include <memory>

// The application object of a program without windows that lays out reports (the command-line
// tool): the text layout needs a QGuiApplication, here on the offscreen platform, so that no
// display is needed and none is opened.
std::unique_ptr<QCoreApplication> NewReportApplication(int& argc, char** argv);
