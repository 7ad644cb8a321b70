# Fails when a file of Vorlin's model names a widget, a dialog or the message
# boxes: the model answers with results and the windows show them. Its
# include folder already keeps out windows/ headers; common still brings
# Qt Widgets along, so only this check keeps widget headers out.
#   cmake -DMODEL_DIR=<frontend/model> -P model_has_no_widgets.cmake
file(GLOB model_files ${MODEL_DIR}/*.h ${MODEL_DIR}/*.cpp)
if(NOT model_files)
  message(FATAL_ERROR "no model files under ${MODEL_DIR}")
endif()
set(offenders "")
foreach(file ${model_files})
  file(STRINGS ${file} hits REGEX "QWidget|QDialog|QMessageBox|message_box\\.h")
  if(hits)
    list(APPEND offenders "${file}: ${hits}")
  endif()
endforeach()
if(offenders)
  list(JOIN offenders "\n" text)
  message(FATAL_ERROR "the model reaches for widgets:\n${text}")
endif()
