# The web window's view: Qt WebEngine where it is installed, a QTextBrowser
# where it is not (MinGW has no WebEngine) or where QL_WEBENGINE is OFF.
# Included from src/CMakeLists.txt once the ql_ui library exists.
find_package(Qt6WebEngineWidgets QUIET)
option(QL_WEBENGINE "Show the not-in-polygon page in Qt WebEngine (else in a QTextBrowser)" ${Qt6WebEngineWidgets_FOUND})
if(QL_WEBENGINE)
  find_package(Qt6 REQUIRED COMPONENTS WebEngineWidgets)
  target_sources(ql_ui PRIVATE ${PROJECT_SOURCE_DIR}/src/ui/dialogs/web/NipViewEngine.cpp)
  target_link_libraries(ql_ui PUBLIC Qt6::WebEngineWidgets)
  # The window tests ask the page's document through the view's JavaScript.
  target_compile_definitions(ql_ui PUBLIC QL_WEBENGINE=1)
else()
  target_sources(ql_ui PRIVATE ${PROJECT_SOURCE_DIR}/src/ui/dialogs/web/NipViewText.cpp)
  target_compile_definitions(ql_ui PUBLIC QL_WEBENGINE=0)
endif()
if(QL_WEBENGINE)
  message(STATUS "Web window view: Qt WebEngine")
else()
  message(STATUS "Web window view: QTextBrowser")
endif()
