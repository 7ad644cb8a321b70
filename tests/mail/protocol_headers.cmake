# The SMTP, socket and MIME code must run without any window: none of its
# files may include a header of the windows, of the library above it, of the
# common message boxes and window links, or of Qt's widget and painting parts.
# cmake -DMAIL_SOURCE=<mail folder> -P protocol_headers.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB above RELATIVE ${MAIL_SOURCE} ${MAIL_SOURCE}/dialogs/*.h ${MAIL_SOURCE}/library/*.h)
set(forbidden message_box.h window_link.h)
foreach(path ${above})
  get_filename_component(name ${path} NAME)
  list(APPEND forbidden ${name})
endforeach()
set(qt_ui QApplication QGuiApplication QWidget QDialog QMessageBox QPushButton QLabel QProgressBar
  QLineEdit QPlainTextEdit QListWidget QAbstractButton QPainter QPixmap QFont QFontMetrics QKeyEvent
  QCloseEvent QIcon QImage QtWidgets QtGui)

file(GLOB sources ${MAIL_SOURCE}/protocol/*)
if(NOT sources)
  message(FATAL_ERROR "no files in ${MAIL_SOURCE}/protocol")
endif()
set(failures "")
foreach(source ${sources})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" header "${line}")
    string(REGEX REPLACE "/.*" "" qt_module "${header}")
    if(header IN_LIST forbidden OR header IN_LIST qt_ui OR qt_module IN_LIST qt_ui)
      list(APPEND failures "${source}: ${header}")
    endif()
  endforeach()
endforeach()
if(failures)
  string(REPLACE ";" "\n  " failures "${failures}")
  message(FATAL_ERROR "protocol code includes window headers:\n  ${failures}")
endif()
