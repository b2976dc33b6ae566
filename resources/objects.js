// Page side of the native bridge.
//
//   _osx.<object>.<function>(parameters, onSuccess, onFailure, onExtra)
//     posts one message to the native handler "allMessages". Parameters are
//     sent as JSON text. onSuccess may be called more than once (listings
//     answer slice by slice), onExtra carries progress and events.
//   _osx.<object>.<function>(parameters)  without handlers returns a Promise
//     for the first success; it rejects with the failure payload (a code).
//
// Native code answers with __bridge.callBackWithID(id, payload) and drops an
// id with __bridge.removeCallBackWithID(id) once it has nothing more to send.
(function () {
  'use strict';

  var webObjects = ['general', 'picture', 'project', 'file', 'text', 'webview', 'notifications', 'update',
                    'orientation'];
  var callbacks = new Map();
  var session = Math.random().toString(36).slice(2, 10);
  var counter = 0;

  function register(handler) {
    // Ids carry no quote characters: native code inserts them as they are.
    var id = 'cb_' + session + '_' + (++counter);
    callbacks.set(id, handler);
    return id;
  }

  var bridge = window.__bridge = window.__bridge || {};

  bridge.callBackWithID = function (id, payload) {
    var handler = callbacks.get(id);
    if (handler) handler(payload);
  };

  bridge.removeCallBackWithID = function (id) {
    callbacks.delete(id);
  };

  function post(name, parameters, onSuccess, onFailure, onExtra) {
    var message = { name: name };
    if (parameters !== undefined) message.parameters = JSON.stringify(parameters);
    if (onSuccess) message.success = register(onSuccess);
    if (onFailure) message.failure = register(onFailure);
    if (onExtra) message.extraCallback = register(onExtra);
    window.webkit.messageHandlers.allMessages.postMessage(message);
  }

  function call(name, parameters, onSuccess, onFailure, onExtra) {
    if (onSuccess || onFailure || onExtra) {
      post(name, parameters, onSuccess, onFailure, onExtra);
      return undefined;
    }
    return new Promise(function (resolve, reject) {
      post(name, parameters, resolve, reject);
    });
  }

  function webObject(objectName) {
    return new Proxy({}, {
      get: function (target, functionName) {
        // Not thenable, and no functions for symbols.
        if (typeof functionName !== 'string' || functionName === 'then') return undefined;
        return function (parameters, onSuccess, onFailure, onExtra) {
          return call(objectName + '.' + functionName, parameters, onSuccess, onFailure, onExtra);
        };
      }
    });
  }

  // Any web object by name, for objects outside the standard set.
  bridge.webObject = webObject;

  var osx = window._osx = {};
  webObjects.forEach(function (objectName) {
    osx[objectName] = webObject(objectName);
  });
})();
